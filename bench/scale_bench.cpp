// A large list and a long journal, each against its target in CPU time and
// peak memory (the process's maximum resident set), measured on morvik-card
// itself with a simulated writer:
//
// 1. batch over a 100,000-row list: every row checked and the first card
//    started and written: 2 s of CPU and 96 MB.
// 2. batch --resume over a journal of 1,000,000 records (500,000 cards of the
//    same list, each started and ok), and history --row over it: 5 s of CPU
//    and 64 MB each.
//
// usage: scale_bench [ROWS] [RECORDS]   (defaults: 100000 1000000)
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "production/card_record.h"
#include "tests/support/process.h"

namespace morvik {
namespace {

struct Cost {
  double cpuSeconds;
  double peakMb;
  int status;
};

Cost Measure(const std::vector<std::string>& args) {
  const int devNull = open("/dev/null", O_WRONLY);
  const pid_t pid = test::Spawn(args, devNull, devNull);
  close(devNull);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  return {cpu, static_cast<double>(usage.ru_maxrss) / 1024.0, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

void Report(const char* what, const Cost& cost, double cpuTarget, double mbTarget) {
  const bool met = cost.cpuSeconds <= cpuTarget && cost.peakMb <= mbTarget;
  std::printf("%-46s %6.2f s CPU (target %.0f), %7.1f MB (target %.0f), status %d: %s\n", what, cost.cpuSeconds,
              cpuTarget, cost.peakMb, mbTarget, cost.status, met ? "met" : "NOT met");
}

std::string ListOf(std::size_t rows) {
  std::string list = "id,url,popup\n";
  for (std::size_t row = 1; row <= rows; ++row) {
    list += "shop-" + std::to_string(row) + ",http://www.example.com/shop/" + std::to_string(row) + ",ようこそ\n";
  }
  return list;
}

// Cards of the list's first rows, each started and ok, as a run appends them.
void WriteJournal(const std::string& path, const std::string& listHash, std::size_t records) {
  std::ofstream journal(path, std::ios::binary);
  for (std::size_t card = 0; card < records / 2; ++card) {
    CardRecord r;
    r.time = "2026-12-07T09:00:00Z";
    r.port = "COM3";
    char idm[24];
    std::snprintf(idm, sizeof idm, "01%014zX", card);
    r.idm = idm;
    r.row = card + 2;
    r.id = "shop-" + std::to_string(card + 1);
    r.file = listHash;
    r.image = "0123456789ABCDEF";
    r.run = "R0000001";
    r.host = "line-pc";
    r.pid = 4242;
    r.seconds = 1.5;
    journal << StartedJson(r) << "\n" << RecordJson(r) << "\n";
  }
}

}  // namespace
}  // namespace morvik

int main(int argc, char** argv) {
  using namespace morvik;
  const std::size_t rows = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100'000;
  const std::size_t records = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1'000'000;
  test::Simulator simulator({"--com", "3", "--operator", "1:200:200"});
  if (!simulator.ready()) {
    std::fprintf(stderr, "the simulator did not start\n");
    return 1;
  }
  const std::string list = simulator.portDir() + "/scale.csv", journal = simulator.portDir() + "/scale.jsonl";
  const std::string bytes = ListOf(rows);
  std::ofstream(list, std::ios::binary) << bytes;
  const std::vector<std::string> batch = {MORVIK_CARD, "batch", "--rows", list, "--ports", "COM3", "--count", "1", "--fast"};
  Report((std::to_string(rows) + "-row list: checked, first card written").c_str(), Measure(batch), 2, 96);

  WriteJournal(journal, ContentHash(bytes), records);
  std::vector<std::string> resume = batch;
  resume.insert(resume.end(), {"--resume", journal});
  Report((std::to_string(records) + "-record journal: batch --resume").c_str(), Measure(resume), 5, 64);
  Report((std::to_string(records) + "-record journal: history --row 7").c_str(),
         Measure({MORVIK_CARD, "history", journal, "--row", "7"}), 5, 64);
  std::filesystem::remove(journal);
  return 0;
}
