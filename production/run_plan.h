// What a production run writes: one image on every card, or the rows of a
// list, one row per card. The writers share the plan; each new card takes a
// job from it and settles the job once the card's result is known.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "content/content_settings.h"
#include "production/card_record.h"
#include "production/row_identity.h"
#include "production/row_queue.h"

namespace morvik {

using CustomerId = std::array<std::uint8_t, 2>;

// One card's work: its image and, from a list, the row it carries.
struct CardJob {
  ContentImage image{};
  std::optional<std::size_t> row;  // the row's index in the list
  std::size_t line = 0;            // the row's line in the file; 0: no list
  std::string id;
  std::string file;  // the list's hash
  std::string cells{};  // what the row is (RowKey)
  std::size_t occurrence = 0;
  std::string list{};   // the list's file name
  bool again = false;   // a done row, written again to finish a card left in doubt
};

class RunPlan {
 public:
  virtual ~RunPlan() = default;
  // Whether a writer with this customer ID can write the plan's cards.
  virtual bool AcceptsWriter(CustomerId cid) = 0;
  // The next card's job; started, a card's record left without a result,
  // names a row to take first while it is still to do. nullopt while nothing
  // is free for this card (every row left is on another writer, or the run
  // has its cards).
  virtual std::optional<CardJob> Take(CustomerId cid, const CardRecord* started) = 0;
  // A row is done once its card is ok; otherwise it goes back for the next card.
  virtual void Settle(const CardJob& job, bool ok) = 0;
  // Nothing is left for any writer.
  virtual bool Finished() const = 0;
};

// The same image on every card, up to a number of cards.
class OneImagePlan final : public RunPlan {
 public:
  // imageFor: the image for a writer with this customer ID; nullopt when refused.
  using ImageFor = std::function<std::optional<ContentImage>(CustomerId)>;
  // cards: nullopt, no limit.
  OneImagePlan(ImageFor imageFor, std::optional<int> cards)
      : imageFor_(std::move(imageFor)), limited_(cards.has_value()), left_(cards.value_or(0)) {}
  bool AcceptsWriter(CustomerId cid) override { return imageFor_(cid).has_value(); }
  std::optional<CardJob> Take(CustomerId cid, const CardRecord* started) override;
  void Settle(const CardJob&, bool) override {}
  bool Finished() const override { return limited_ && left_.load() <= 0; }

 private:
  ImageFor imageFor_;
  bool limited_;
  std::atomic<int> left_;
};

// The rows of a list not done before, each taken by one card at a time.
class ListPlan final : public RunPlan {
 public:
  using RowImage = std::function<std::optional<ContentImage>(std::size_t row, CustomerId)>;
  // doneLines: the rows an earlier run finished (or is not to write again),
  // by line; limit: how many rows this run may take; listName: the list's
  // file name, carried into the records.
  ListPlan(std::vector<PlannedRow> rows, std::string listHash, RowImage rowImage, const RowSet& doneLines,
           std::optional<std::size_t> limit, std::string listName = {});
  bool AcceptsWriter(CustomerId) override { return true; }
  std::optional<CardJob> Take(CustomerId cid, const CardRecord* started) override;
  void Settle(const CardJob& job, bool ok) override;
  bool Finished() const override { return queue_.Finished(); }

  // What other runs sharing the journal did: a row they wrote ok, the rows
  // their cards are on now (their started records).
  void DoneElsewhere(const CardRecord& record);
  void HeldElsewhere(const std::vector<CardRecord>& started);
  bool OfThisList(const CardRecord& record) const { return finder_.OfThisList(record); }

  std::size_t rowsDone() const { return queue_.done(); }
  std::size_t rowsLeft() const { return queue_.left(); }

 private:
  std::optional<CardJob> JobFor(std::size_t row, CustomerId cid, bool again);
  static RowSet Indices(const std::vector<PlannedRow>& rows, const RowSet& lines);

  std::vector<PlannedRow> rows_;
  RowFinder finder_;
  RowImage rowImage_;
  RowQueue queue_;
};

}  // namespace morvik
