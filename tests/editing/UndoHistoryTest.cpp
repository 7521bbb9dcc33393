#include "editing/UndoHistory.h"

#include <gtest/gtest.h>

#include <random>

using namespace Qt::Literals::StringLiterals;

// An edit box as the history sees it: its text and caret, changed only through
// record() (typing) and the edits undo() and redo() hand back.
class Box
{
public:
    explicit Box(const QString& text = QString(), int caret = 0) : m_text(text), m_caret(caret)
    {
        m_history.reset(text, caret);
    }

    void type(const QString& text, int caret)
    {
        m_text = text;
        m_caret = caret;
        m_history.record(text, caret);
    }

    bool undo() { return apply(m_history.undo()); }
    bool redo() { return apply(m_history.redo()); }

    const QString& text() const { return m_text; }
    int caret() const { return m_caret; }
    UndoHistory& history() { return m_history; }

private:
    bool apply(const std::optional<UndoHistory::TextEdit>& edit)
    {
        if (!edit)
            return false;
        EXPECT_GE(edit->position, 0);
        EXPECT_GE(edit->removeLength, 0);
        EXPECT_LE(edit->position + edit->removeLength, m_text.size());
        // An edit never cuts a surrogate pair of the text it applies to.
        for (const int boundary : {edit->position, edit->position + edit->removeLength}) {
            if (boundary > 0 && boundary < m_text.size()) {
                EXPECT_FALSE(m_text[boundary - 1].isHighSurrogate() && m_text[boundary].isLowSurrogate())
                    << "edit boundary " << boundary << " splits a surrogate pair";
            }
        }
        m_text.replace(edit->position, edit->removeLength, edit->insertText);
        m_caret = edit->caret;
        return true;
    }

    QString m_text;
    int m_caret;
    UndoHistory m_history;
};

TEST(UndoHistoryTest, UndoAndRedoDoNothingAtTheEnds)
{
    Box box(u"stored"_s, 3);
    EXPECT_EQ(box.history().count(), 1);
    EXPECT_FALSE(box.undo());
    EXPECT_FALSE(box.redo());
    EXPECT_EQ(box.text(), u"stored"_s);
    EXPECT_EQ(box.caret(), 3);
    EXPECT_EQ(box.history().current(), 1);
}

TEST(UndoHistoryTest, TypingThreeLettersAndUndoingThem)
{
    Box box;
    box.type(u"p"_s, 1);
    box.type(u"pq"_s, 2);
    box.type(u"pqr"_s, 3);
    EXPECT_EQ(box.history().count(), 4);
    EXPECT_EQ(box.history().current(), 4);

    const QString expected[] = {u"pq"_s, u"p"_s, u""_s};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(box.undo());
        EXPECT_EQ(box.text(), expected[i]);
        EXPECT_EQ(box.caret(), 2 - i);
    }
    EXPECT_FALSE(box.undo());
    EXPECT_EQ(box.history().current(), 1);

    ASSERT_TRUE(box.redo());
    ASSERT_TRUE(box.redo());
    EXPECT_EQ(box.text(), u"pq"_s);
    EXPECT_EQ(box.caret(), 2);
}

TEST(UndoHistoryTest, NewChangeAfterUndoGoesBehindTheUndoneEntries)
{
    Box box;
    box.type(u"p"_s, 1);
    box.type(u"pq"_s, 2);
    box.type(u"pqr"_s, 3);
    box.undo();
    box.undo();
    ASSERT_EQ(box.text(), u"p"_s);
    box.type(u"px"_s, 2);
    EXPECT_EQ(box.history().count(), 5);
    EXPECT_EQ(box.history().current(), 5);
    EXPECT_EQ(box.history().lastText(), u"px"_s);

    // Walking back passes through the undone states: pqr, pq, p, empty.
    const QString back[] = {u"pqr"_s, u"pq"_s, u"p"_s, u""_s};
    for (const QString& text : back) {
        ASSERT_TRUE(box.undo());
        EXPECT_EQ(box.text(), text);
        EXPECT_EQ(box.caret(), text.size());
    }
    // And forward again to px.
    const QString forward[] = {u"p"_s, u"pq"_s, u"pqr"_s, u"px"_s};
    for (const QString& text : forward) {
        ASSERT_TRUE(box.redo());
        EXPECT_EQ(box.text(), text);
    }
    EXPECT_FALSE(box.redo());
}

TEST(UndoHistoryTest, ResetStartsOverWithOneEntry)
{
    Box box;
    box.type(u"abc"_s, 3);
    box.type(u"abcd"_s, 4);
    box.history().reset(u"loaded"_s, 0);
    EXPECT_EQ(box.history().count(), 1);
    EXPECT_EQ(box.history().current(), 1);
    EXPECT_FALSE(box.history().undo());
}

TEST(UndoHistoryTest, EditsAreTheChangedRangeOnly)
{
    struct Case
    {
        const char* name;
        QString before;
        QString after;
        int position;
        int removeLength;   // of the undo edit, applied to `after`
        QString insertText; // of the undo edit
    };
    const Case cases[] = {
        {"insert in the middle", u"hello world"_s, u"hello, world"_s, 5, 1, u""_s},
        {"delete at the start", u"hello"_s, u"ello"_s, 0, 0, u"h"_s},
        {"replace a word", u"one two three"_s, u"one 2 three"_s, 4, 1, u"two"_s},
        {"same text", u"same"_s, u"same"_s, 4, 0, u""_s},
        {"from empty", u""_s, u"abc"_s, 0, 3, u""_s},
        {"emoji replaced by one sharing its high surrogate", u"a\U0001F600b"_s, u"a\U0001F601b"_s, 1, 2,
         u"\U0001F600"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UndoHistory history;
        history.reset(c.before, 0);
        history.record(c.after, 1);
        const auto undoEdit = history.undo();
        ASSERT_TRUE(undoEdit);
        EXPECT_EQ(undoEdit->position, c.position);
        EXPECT_EQ(undoEdit->removeLength, c.removeLength);
        EXPECT_EQ(undoEdit->insertText, c.insertText);
        EXPECT_EQ(undoEdit->caret, 0);
        const auto redoEdit = history.redo();
        ASSERT_TRUE(redoEdit);
        EXPECT_EQ(redoEdit->position, c.position);
        EXPECT_EQ(redoEdit->removeLength, c.insertText.size());
        EXPECT_EQ(redoEdit->insertText, c.after.mid(c.position, c.removeLength));
        EXPECT_EQ(redoEdit->caret, 1);
    }
}

TEST(UndoHistoryTest, MemoryGrowsWithTheChangesNotTheText)
{
    const QString base(200'000, u'a');
    QString text = base;
    UndoHistory history;
    history.reset(text, 0);
    std::mt19937 random(7);
    for (int i = 0; i < 500; ++i) {
        const int position = int(random() % (text.size() + 1));
        text.insert(position, QChar(u'b' + i % 20));
        history.record(text, position + 1);
    }
    // Whole snapshots would take about 500 x 400 kB. The differences take a few
    // bytes each; what remains is the one copy of the last text, whose buffer may
    // have up to twice the room it needs.
    const qsizetype textBytes = text.size() * qsizetype(sizeof(QChar));
    EXPECT_GT(history.memoryBytes(), textBytes);
    EXPECT_LT(history.memoryBytes(), 3 * textBytes);
}

// Compares the history against the plain model of whole snapshots over random
// typing, deleting, pasting, undoing, redoing and resetting.
TEST(UndoHistoryTest, MatchesWholeSnapshotModelOverRandomEdits)
{
    struct Snapshot
    {
        QString text;
        int caret;
    };
    // Few distinct characters, so that the common prefix and suffix are often
    // ambiguous; surrogate pairs, so that no edit may split one.
    const QString pieces[] = {u"a"_s, u"b"_s, u"a"_s, u"\U0001F600"_s, u"\U0001F601"_s, u"\n"_s, u" "_s};

    std::mt19937 random(20240611);
    const auto below = [&](qsizetype n) { return qsizetype(random() % quint32(n)); };
    // A position that is not inside a surrogate pair (the box never puts one there).
    const auto positionIn = [&](const QString& text) {
        qsizetype position = below(text.size() + 1);
        if (position > 0 && position < text.size() && text[position].isLowSurrogate())
            --position;
        return position;
    };

    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE(run);
        std::vector<Snapshot> model{{u"start"_s, 0}};
        int current = 1;
        Box box(model[0].text, model[0].caret);

        for (int step = 0; step < 400; ++step) {
            const int action = int(below(10));
            if (action < 5) {
                // A change of the text the box shows now.
                QString text = box.text();
                const qsizetype position = positionIn(text);
                qsizetype end = position;
                if (below(3) == 0) {
                    end = positionIn(text);
                    if (end < position)
                        end = position;
                }
                QString inserted;
                for (qsizetype n = below(4); n > 0; --n)
                    inserted += pieces[below(std::size(pieces))];
                text.replace(position, end - position, inserted);
                const int caret = int(position + inserted.size());
                box.type(text, caret);
                model.push_back({text, caret});
                current = int(model.size());
            } else if (action < 7) {
                EXPECT_EQ(box.undo(), current > 1);
                current = std::max(current - 1, 1);
            } else if (action < 9) {
                EXPECT_EQ(box.redo(), current < int(model.size()));
                current = std::min(current + 1, int(model.size()));
            } else if (below(10) == 0) {
                box.history().reset(box.text(), box.caret());
                model = {{box.text(), box.caret()}};
                current = 1;
            }
            ASSERT_EQ(box.text(), model[size_t(current - 1)].text) << "step " << step;
            ASSERT_EQ(box.caret(), model[size_t(current - 1)].caret) << "step " << step;
            ASSERT_EQ(box.history().count(), int(model.size()));
            ASSERT_EQ(box.history().current(), current);
            ASSERT_EQ(box.history().lastText(), model.back().text);
        }
    }
}
