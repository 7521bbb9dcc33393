#pragma once

#include <QString>
#include <functional>
#include <memory>

// The progress of a long operation over many memos: a title, a line of
// explanation, up to two bars and a cancel request. The operation drives it
// step by step and checks IsCancel() after each SetProgress(). The window
// implementation keeps the interface live while the operation runs.
class Progress
{
public:
    virtual ~Progress() = default;

    // Shows the bars whose argument is true; false leaves a bar as it is.
    virtual void SetProgressBar(bool showBar1, bool showBar2) = 0;
    virtual void SetTitle(const QString& title) = 0;
    virtual void SetExplain(const QString& text) = 0;
    // Bar 1 or 2; any other bar number is ignored. A maximum of 0 leaves the bar empty.
    virtual void SetProgressMax(int bar, int maximum) = 0;
    // Fills the bar up to `value` of its maximum, then lets pending events run.
    virtual void SetProgress(int bar, int value) = 0;
    // Empties the bar.
    virtual void SetProgressClear(int bar) = 0;
    // True once the user asked to cancel.
    virtual bool IsCancel() const = 0;

    // Work to finish before pending events run: an operation commits its open
    // batch here, so that no write transaction stays open while other windows
    // (a floating window's save, an editor's text coming back) act, and a
    // second copy of Quillet is not locked out while a message waits.
    void setBeforeEvents(std::function<void()> work) { m_beforeEvents = std::move(work); }

protected:
    void beforeEvents()
    {
        if (m_beforeEvents)
            m_beforeEvents();
    }

private:
    std::function<void()> m_beforeEvents;
};

// Commits `batch` whenever `progress` lets events run, for as long as it lives.
template <typename Batch> class CommitBeforeEvents
{
public:
    CommitBeforeEvents(Progress& progress, Batch& batch) : m_progress(progress)
    {
        m_progress.setBeforeEvents([&batch] { batch.commit(); });
    }
    ~CommitBeforeEvents() { m_progress.setBeforeEvents({}); }
    CommitBeforeEvents(const CommitBeforeEvents&) = delete;
    CommitBeforeEvents& operator=(const CommitBeforeEvents&) = delete;

private:
    Progress& m_progress;
};

// The progress of an operation that nobody watches (start-up without a window,
// helper processes): it shows nothing and is never cancelled.
class QuietProgress : public Progress
{
public:
    void SetProgressBar(bool, bool) override {}
    void SetTitle(const QString&) override {}
    void SetExplain(const QString&) override {}
    void SetProgressMax(int, int) override {}
    void SetProgress(int, int) override {}
    void SetProgressClear(int) override {}
    bool IsCancel() const override { return false; }
};

// Makes the progress window of a long operation, shown; it closes when the
// object goes. An empty factory runs the operation without a window.
using ProgressFactory = std::function<std::unique_ptr<Progress>()>;

// Imports and exports of more files than this show a progress window; shorter
// ones would only flash it.
inline constexpr int ProgressShownAbove = 200;
