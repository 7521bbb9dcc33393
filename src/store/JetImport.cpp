#include "store/JetImport.h"

#include "app/Prompt.h"
#include "store/DatabaseError.h"
#include "store/JetConverter.h"
#include "store/JetWorker.h"

#include <QFile>
#include <QFileInfo>

namespace {

QString fileName(const QString& path)
{
    return QFileInfo(path).fileName();
}

// Converts, telling the user of a cancel or a failure; then, for a Jet 3 file,
// whose text encoding is a guess, shows a few of the titles as read and lets
// the user refuse them before anything else is done with the memos. False:
// nothing is left at `target`.
bool convert(Prompt& prompt, const QString& jetPath, const QString& target,
             const ProgressFactory& makeProgress)
{
    JetConversion conversion;
    try {
        std::unique_ptr<Progress> progress = makeProgress ? makeProgress() : nullptr;
        QuietProgress quiet;
        conversion = ConvertJetDatabaseInWorker(jetPath, target, KnownJetTables(), progress ? *progress : quiet);
    } catch (const DatabaseError& error) {
        prompt.critical(error.userMessage());
        return false;
    }
    if (conversion.cancelled) {
        prompt.inform(QStringLiteral("変換を中止しました。ファイルは作成していません。"));
        return false;
    }
    if (conversion.jet3 && !conversion.sampleTitles.isEmpty()) {
        const QString titles = QStringLiteral("・") + conversion.sampleTitles.join(QStringLiteral("\n・"));
        const bool readable = prompt.askYesNo(
            QStringLiteral(
                "古い形式(Access 97)のファイルのため、文字は日本語版Windowsの文字コード"
                "(Shift_JIS)として読みました。変換したメモの題名:\n\n%1\n\n"
                "正しく読めていますか？\n"
                "「いいえ」を選ぶと、変換したファイルを削除して中止します(元のファイルはそのままです)。")
                .arg(titles));
        if (!readable) {
            QFile::remove(target);
            prompt.inform(QStringLiteral("変換を中止しました。ファイルは作成していません。"));
            return false;
        }
    }
    return true;
}

// Whether the Jet file can be converted at all, asked before the question so
// that the user is not asked about a file that would be refused; says why not.
bool convertible(Prompt& prompt, const QString& jetPath)
{
    try {
        CheckJetDatabaseInWorker(jetPath, KnownJetTables());
        return true;
    } catch (const DatabaseError& error) {
        prompt.critical(error.userMessage());
        return false;
    }
}

} // namespace

JetOffer OfferJetConversion(Prompt& prompt, const QString& jetPath, const ProgressFactory& makeProgress)
{
    const QString target = JetConvertedPath(jetPath);
    if (QFileInfo::exists(target)) {
        const bool open = prompt.askYesNo(
            QStringLiteral("「%1」はWindows版のメモデータベース(Jet形式)です。\n"
                           "これを変換したファイル「%2」がすでにあります。そのファイルを開きますか？\n"
                           "(変換し直すときは、「%2」を移動するか名前を変えてから開き直してください。)")
                .arg(fileName(jetPath), fileName(target)));
        return open ? JetOffer{target} : JetOffer{QString(), true};
    }
    if (!convertible(prompt, jetPath))
        return {};
    if (!prompt.askYesNo(
            QStringLiteral("「%1」はWindows版のメモデータベース(Jet形式)です。\n"
                           "Quilletで使えるように、同じフォルダの新しいファイル「%2」に変換して、"
                           "そちらを開きます。元のファイルは変更しません。\n\n"
                           "変換しますか？")
                .arg(fileName(jetPath), fileName(target))))
        return {QString(), true};
    if (!convert(prompt, jetPath, target, makeProgress))
        return {};
    prompt.inform(QStringLiteral("変換が完了しました。\n次からは「%1」を開いてください。").arg(target));
    return {target};
}

bool ConvertJetForMerge(Prompt& prompt, const QString& jetPath, const QString& target,
                        const ProgressFactory& makeProgress)
{
    if (!convertible(prompt, jetPath))
        return false;
    if (!prompt.askYesNo(QStringLiteral("「%1」はWindows版のメモデータベース(Jet形式)です。\n"
                                        "一時ファイルに変換してから、そのメモを追加読み込みします。"
                                        "元のファイルは変更しません。\n\n変換しますか？")
                             .arg(fileName(jetPath)))) {
        prompt.inform(QStringLiteral("キャンセルしました。"));
        return false;
    }
    return convert(prompt, jetPath, target, makeProgress);
}
