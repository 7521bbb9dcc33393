// Protecting and unprotecting 10,000 selected memos of a database of 100,000,
// as the user starts them through the window's menu actions, and the check
// made before selected memos are written out when the last of them is the
// one protected.
#include "BenchHome.h"
#include "editing/PasswordCommands.h"
#include "tags/ListViews.h"
#include "tags/MemoList.h"

#include <QAction>
#include <QFile>
#include <QItemSelectionModel>

namespace {

constexpr int kMemos = 100'000;
constexpr int kSelected = 10'000;

Home& home()
{
    static Home home(kMemos);
    return home;
}

// Answers every password dialog with the security password.
class PasswordPrompt final : public SilentPrompt
{
public:
    QString password(const QString&, const QString&) override { return QStringLiteral("abc"); }
};

std::unique_ptr<Form1> openWithPassword(Prompt& prompt)
{
    // "abc", scrambled.
    return openWindowWithSettings(home(), prompt, "[Security]\r\nPassword=dcb\r\n");
}

void BM_ProtectSelected(benchmark::State& state)
{
    PasswordPrompt prompt;
    auto window = openWithPassword(prompt);
    selectFirstRows(*window, kSelected);
    for (auto _ : state) {
        trigger(*window, "popSetSecurityPass");
        state.PauseTiming();
        trigger(*window, "popDeleteSecurityPass");
        state.ResumeTiming();
    }
    state.counters["selected"] = double(window->memoList().selectedIds().size());
}

void BM_UnprotectSelected(benchmark::State& state)
{
    PasswordPrompt prompt;
    auto window = openWithPassword(prompt);
    selectFirstRows(*window, kSelected);
    for (auto _ : state) {
        state.PauseTiming();
        trigger(*window, "popSetSecurityPass");
        state.ResumeTiming();
        trigger(*window, "popDeleteSecurityPass");
    }
}

void BM_CheckSelectionPassword(benchmark::State& state)
{
    PasswordPrompt prompt;
    auto window = openWithPassword(prompt);
    auto* commands = window->findChild<PasswordCommands*>(QStringLiteral("PasswordCommands"));
    // Only the last selected memo is protected: every row is looked at.
    selectFirstRows(*window, kSelected);
    const qint64 last = window->memoList().selectedIds().last();
    window->store().writeMemoLock(last, true);
    bool passed = false;
    for (auto _ : state)
        passed = commands->CheckSelectionPassword();
    window->store().writeMemoLock(last, false);
    state.counters["passed"] = passed ? 1 : 0;
}

} // namespace

BENCHMARK(BM_ProtectSelected)->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(BM_UnprotectSelected)->Unit(benchmark::kMillisecond)->Iterations(4);
BENCHMARK(BM_CheckSelectionPassword)->Unit(benchmark::kMillisecond)->Iterations(4);

QUILLET_BENCHMARK_MAIN()
