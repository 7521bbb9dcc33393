#pragma once

#include "store/JetConverter.h"

#include <QString>
#include <QStringList>

class Progress;

// A Jet file is read in a child process of Quillet's own program, so that a
// file whose damage makes libmdb loop for ever or crash is refused instead of
// stopping Quillet, and a cancel ends the reading at once. The child runs
// CheckJetDatabase or ConvertJetDatabase and reports each step on a pipe; the
// parent shows those steps on its progress window.

// The first argument that makes the program a Jet worker instead of Quillet.
inline constexpr char JetWorkerArgument[] = "--jet-worker";

// The worker's side: `arguments` are those after JetWorkerArgument. Returns
// the process's exit code. The program's own main() (and every test binary's)
// hands over to it.
int RunJetWorker(const QStringList& arguments);

// How long the worker may go without a word before the file is taken as
// damaged: reading a row never takes this long.
inline constexpr int JetWorkerSilenceMs = 20000;

// As CheckJetDatabase and ConvertJetDatabase, run in a worker. A worker that
// falls silent for `silenceMs`, crashes or ends without an answer is stopped
// and the file refused as damaged (DatabaseError). A cancel stops the worker
// and removes what it had written.
void CheckJetDatabaseInWorker(const QString& jetPath, const QStringList& tables,
                              int silenceMs = JetWorkerSilenceMs);
JetConversion ConvertJetDatabaseInWorker(const QString& jetPath, const QString& target,
                                         const QStringList& tables, Progress& progress,
                                         int silenceMs = JetWorkerSilenceMs);
