#pragma once

#include <QStringList>
#include <memory>
#include <string>

#include "sim_meter.h"

class QElapsedTimer;
class QProcess;

namespace kamt::test {

struct ProgramResult {
  int exitCode = -1;
  std::string out;
  std::string err;
  long long elapsedMs = 0;
};

// Sets kamt up to run with the arguments in workDir, under the C.UTF-8 locale and extraEnv
// ("NAME=VALUE"), for a test that drives the process itself.
void PrepareKamt(QProcess& kamt, const QStringList& args, const QString& workDir, const QStringList& extraEnv = {});

// Waits for a kamt started after PrepareKamt to end; one still running after limitMs is killed
// and said to be. The time counts from `started`.
ProgramResult FinishKamt(QProcess& kamt, const QElapsedTimer& started, int limitMs);

// Runs kamt with the arguments in workDir and waits for it (at most limitMs).
ProgramResult RunKamt(const QStringList& args, const QString& workDir, const QStringList& extraEnv = {},
                      int limitMs = 60000);

}  // namespace kamt::test
