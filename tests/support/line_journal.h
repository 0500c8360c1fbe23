// What the production window tests look at once a run has ended: the cards
// the simulated writers hold, the window's list columns, and the journal's
// ok records against the list's row images.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/dialog/headless_dialog_host.h"
#include "files/file_access.h"
#include "sim/loopback_serial.h"

namespace morvik::test {

inline void Remove(const std::string& name) {
  std::error_code ignored;
  std::filesystem::remove(PathFromUtf8(name), ignored);
}

inline std::vector<std::string> Column(HeadlessDialogHost& host, int list, int column) {
  std::vector<std::string> cells;
  for (const auto& row : host.ListRows(list)) cells.push_back(row[static_cast<std::size_t>(column)]);
  return cells;
}

// What each card of the writers holds now, by IDm.
inline std::map<std::string, sim::CardImage> CardsOf(std::initializer_list<const sim::WriterModel*> writers) {
  std::map<std::string, sim::CardImage> cards;
  for (const sim::WriterModel* writer : writers) {
    for (const sim::CardSlot& card : writer->cardsTakenOff()) cards[IdmText(card.idm)] = card.memory;
    cards[IdmText(writer->slot().idm)] = writer->slot().memory;
  }
  return cards;
}

// Every row of the list ok once in the journal, each ok card a card of its
// own holding its row's image.
inline void ExpectEachRowOnOneCard(const std::string& listPath, const std::string& journalPath,
                                   const std::map<std::string, sim::CardImage>& cards, std::size_t rows,
                                   const CustomerId& cid) {
  const std::optional<CardList> list = ReadCardList(listPath).list;
  ASSERT_TRUE(list);
  std::map<std::size_t, int> okRows;
  std::set<std::string> okCards;
  std::ifstream journal(PathFromUtf8(journalPath));
  for (std::string line; std::getline(journal, line);) {
    const nlohmann::json record = nlohmann::json::parse(line);
    if (record["record"] != "card" || record["result"] != "ok") continue;
    const std::size_t row = record["row"];
    ++okRows[row];
    EXPECT_TRUE(okCards.insert(record["idm"]).second) << line;
    std::size_t index = 0;
    while (index < rows && list->rows[index].line != row) ++index;
    ASSERT_LT(index, rows) << line;
    const std::optional<ContentImage> image = list->rowImage(index, cid);
    ASSERT_TRUE(image && cards.contains(record["idm"])) << line;
    EXPECT_TRUE(std::equal(image->begin(), image->end(), cards.at(record["idm"]).begin())) << line;
  }
  EXPECT_EQ(okRows.size(), rows);
  for (const auto& [row, count] : okRows) EXPECT_EQ(count, 1) << "row " << row;
}

}  // namespace morvik::test
