#include "programs.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>

namespace kamt::test {

void PrepareKamt(QProcess& kamt, const QStringList& args, const QString& workDir, const QStringList& extraEnv) {
  kamt.setProgram(QStringLiteral(KAMT_BIN));
  kamt.setArguments(args);
  kamt.setWorkingDirectory(workDir);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("LC_ALL", "C.UTF-8");
  for (const QString& pair : extraEnv) env.insert(pair.section('=', 0, 0), pair.section('=', 1));
  kamt.setProcessEnvironment(env);
}

ProgramResult FinishKamt(QProcess& kamt, const QElapsedTimer& started, int limitMs) {
  ProgramResult result;
  if (!kamt.waitForFinished(limitMs) && kamt.state() != QProcess::NotRunning) {
    kamt.kill();
    kamt.waitForFinished(5000);
    result.err = "kamt did not end within " + std::to_string(limitMs) + " ms\n";
  }
  result.elapsedMs = started.elapsed();
  result.exitCode = kamt.exitStatus() == QProcess::NormalExit ? kamt.exitCode() : -1;
  result.out = kamt.readAllStandardOutput().toStdString();
  result.err += kamt.readAllStandardError().toStdString();
  return result;
}

ProgramResult RunKamt(const QStringList& args, const QString& workDir, const QStringList& extraEnv, int limitMs) {
  QProcess kamt;
  PrepareKamt(kamt, args, workDir, extraEnv);
  QElapsedTimer timer;
  timer.start();
  kamt.start();
  return FinishKamt(kamt, timer, limitMs);
}

}  // namespace kamt::test
