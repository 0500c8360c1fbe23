// The command line of morvik-writer-sim.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/writer_model.h"

namespace morvik::sim {

struct ServerOptions {
  std::string portDir;  // MORVIK_PORT_DIR unless --port-dir
  int com = 1;
  Identity identity;
  Idm idm = kDefaultIdm;
  bool noCard = false;
  Faults faults;
  OperatorPlan operatorPlan;
  bool pace = false;
  int latencyMs = 0;  // the writer's time to answer each request
  bool trace = false;
  std::string cardFile;
  std::vector<int> silentComs;
  // Unplugged at the first request after this many block writes, for
  // unpluggedMs; 0: never.
  int unplugAfterWrites = 0;
  int unpluggedMs = 0;
  bool help = false;
};

// Fills options from argv; false with a reason in error on a bad command line.
bool ParseServerOptions(int argc, char** argv, ServerOptions& options, std::string& error);

const char* ServerUsage();

}  // namespace morvik::sim
