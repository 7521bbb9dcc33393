#pragma once

// A generated memo database that looks like a real one: about 1 KB of mixed
// Japanese and ASCII text per memo, drawn word by word from a vocabulary with
// a skewed frequency (a few words in most memos, most words in few), titles
// of a few words, three tags of 200 ("タグ0" .. "タグ199") per memo, and 2% of
// the memos in the trash. The same count and seed always give the same file.
//
// Generating a million memos takes a while, so files are kept in a cache
// folder ($QUILLET_BENCH_DATA, else "bench-data" in the working folder) and
// copied from there; `corpusFile()` makes the file when it is missing.
#include "store/Memo.h"
#include "store/MemoStore.h"
#include "store/TemplateDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <random>

namespace corpus {

// Bump when the text generated changes, so that cached files are made again.
inline constexpr int kVersion = 1;

// Words that occur in many memos, and rarer ones, Japanese and English.
inline const QStringList& japaneseWords()
{
    static const QStringList words = QStringLiteral(
        "今日 明日 昨日 会議 資料 予定 確認 連絡 メモ 仕事 買い物 電話 メール 東京 大阪 京都 "
        "天気 晴れ 雨 曇り 朝 昼 夜 週末 来週 先週 打ち合わせ 報告 提出 締め切り 進捗 課題 "
        "ひらがな カタカナ 漢字 日本語 英語 勉強 読書 映画 音楽 料理 散歩 旅行 写真 健康 "
        "病院 薬 運動 睡眠 家族 友達 誕生日 記念日 プレゼント 予約 レストラン 喫茶店 コーヒー "
        "紅茶 お茶 ケーキ パン 野菜 果物 りんご みかん バナナ 牛乳 卵 豆腐 納豆 味噌汁 "
        "ご飯 弁当 駅 電車 バス 自転車 車 空港 新幹線 ホテル 温泉 山 海 川 公園 図書館 "
        "銀行 郵便局 市役所 税金 保険 家賃 給料 請求書 領収書 見積もり 契約 プロジェクト "
        "サーバー データベース バックアップ パスワード ネットワーク プログラム 設計 試験 "
        "不具合 修正 改善 提案 検討 決定 完了 保留 重要 至急 参考 備考 注意 ｶﾀｶﾅ ﾒﾓ ﾃｽﾄ")
                                        .split(u' ');
    return words;
}

inline const QStringList& asciiWords()
{
    static const QStringList words = QStringLiteral(
        "the of and to in is for on with as meeting notes draft review release build test "
        "server client database backup password network program design schedule budget "
        "invoice report deadline project Quillet memo list search index tag trash icon "
        "Linux Qt SQLite C++ TODO FIXME URL http https www example com 2026 v1.2 #42 "
        "Monday Tuesday Wednesday Thursday Friday Saturday Sunday January February March "
        "alpha beta gamma delta epsilon STRASSE Ｆｕｌｌｗｉｄｔｈ")
                                        .split(u' ');
    return words;
}

// The rarest words: each number n makes a word "語n" / "termN" of which
// there are thousands, so that a search for one finds a few memos.
class TextMaker
{
public:
    explicit TextMaker(unsigned seed) : m_random(seed) {}

    // A word: 45% Japanese, 45% ASCII, 10% a rare numbered word; within each
    // list the first words are the most frequent.
    QString word()
    {
        const int kind = pick(100);
        if (kind < 45)
            return skewed(japaneseWords());
        if (kind < 90)
            return skewed(asciiWords());
        return kind < 95 ? QStringLiteral("語%1").arg(pick(50'000)) : QStringLiteral("term%1").arg(pick(50'000));
    }

    // About `chars` characters of sentences, lines ending in CR LF.
    QString body(int chars)
    {
        QString text;
        text.reserve(chars + 64);
        while (text.size() < chars) {
            const int words = 4 + pick(9);
            for (int w = 0; w < words; ++w) {
                const QString next = word();
                if (w > 0 && (next.at(0).unicode() < 0x3000 || text.back().unicode() < 0x3000))
                    text.append(u' ');
                text.append(next);
            }
            text.append(pick(3) == 0 ? QStringLiteral("。\r\n") : QStringLiteral("。"));
        }
        return text;
    }

    QString title()
    {
        QStringList words;
        const int count = 2 + pick(3);
        for (int w = 0; w < count; ++w)
            words.append(word());
        return words.join(u' ');
    }

    QString tags()
    {
        QStringList tags;
        for (int t = 0; t < 3; ++t)
            tags.append(QStringLiteral("タグ%1").arg(pick(200)));
        return tags.join(u' ');
    }

    // A time in 2020..2026, as the memo list shows it.
    QString time()
    {
        return QStringLiteral("%1/%2/%3 %4:%5:%6")
            .arg(2020 + pick(7))
            .arg(1 + pick(12), 2, 10, QLatin1Char('0'))
            .arg(1 + pick(28), 2, 10, QLatin1Char('0'))
            .arg(pick(24), 2, 10, QLatin1Char('0'))
            .arg(pick(60), 2, 10, QLatin1Char('0'))
            .arg(pick(60), 2, 10, QLatin1Char('0'));
    }

    int pick(int below) { return int(m_random() % unsigned(below)); }

private:
    // Index i of the list is chosen with a weight of about 1 / (i + 1).
    QString skewed(const QStringList& words)
    {
        const double u = std::uniform_real_distribution<double>(0.0, 1.0)(m_random);
        const int index = int(std::pow(double(words.size() + 1), u)) - 1;
        return words.at(std::clamp(index, 0, int(words.size()) - 1));
    }

    std::mt19937 m_random;
};

// Writes `count` generated memos into a fresh database at `path`.
inline void generate(const QString& path, int count)
{
    QFile::remove(path);
    const QFileInfo info(path);
    TemplateDatabase::copyTo(info.absolutePath() + QLatin1Char('/'), path);
    MemoStore store(path);
    TextMaker maker(20261211);
    auto transaction = store.transaction();
    for (int i = 0; i < count; ++i) {
        Memo memo;
        memo.title = maker.title();
        memo.body = maker.body(330 + maker.pick(340));
        memo.category = maker.tags();
        memo.publishTime = maker.time();
        memo.updateTime = maker.time();
        memo.isTrash = maker.pick(50) == 0;
        store.insertWholeMemo(memo);
    }
    transaction.commit();
}

inline QString cacheFolder()
{
    const QString configured = qEnvironmentVariable("QUILLET_BENCH_DATA");
    return QDir(configured.isEmpty() ? QStringLiteral("bench-data") : configured).absolutePath();
}

// The cached database of `count` memos, made first when missing.
inline QString corpusFile(int count)
{
    QDir().mkpath(cacheFolder());
    const QString path = cacheFolder() + QStringLiteral("/memos-%1-v%2.mdb").arg(count).arg(kVersion);
    if (!QFileInfo::exists(path)) {
        const QString partial = path + QStringLiteral(".partial");
        generate(partial, count);
        QFile::rename(partial, path);
    }
    return path;
}

} // namespace corpus
