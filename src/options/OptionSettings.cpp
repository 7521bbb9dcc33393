#include "options/OptionSettings.h"

#include "app/Prompt.h"
#include "app/Settings.h"
#include "editing/PasswordScrambler.h"
#include "editing/SecurityPassword.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace {

using namespace Settings;

// A settings value is one line of at most this many UTF-8 bytes.
constexpr qsizetype kMaxSettingBytes = 255;

bool storable(const QString& text)
{
    for (QChar ch : text)
        if (ch == u'\r' || ch == u'\n' || ch.isNull())
            return false;
    return text.toUtf8().size() <= kMaxSettingBytes;
}

QString writeFailed(const SettingsFile& settings)
{
    return QStringLiteral("設定ファイルに書き込めませんでした。\n") + settings.path();
}

} // namespace

using namespace Settings;

OptionSettings::OptionSettings()
    : fonts{{
          {u"CatList"_s, u"CategoryList"_s, CatListStyle.font, CatListStyle.fontSize, {}, {}},
          {u"MemoList"_s, u"MemoList"_s, MemoListStyle.font, MemoListStyle.fontSize, {}, {}},
          {u"MemoTitle"_s, u"Memo - Title"_s, MemoTitleStyle.font, MemoTitleStyle.fontSize, {}, {}},
          {u"MemoTag"_s, u"Memo - TAG"_s, MemoTagStyle.font, MemoTagStyle.fontSize, {}, {}},
          {u"MemoContents"_s, u"Memo - Contents"_s, ContentsStyle.font, ContentsStyle.fontSize, {}, {}},
          {u"FloatingMemo"_s, u"FloatingMemo"_s, FloatingMemo::Font, FloatingMemo::FontSize, {}, {}},
      }},
      colours{{
          {u"Form"_s, u"Form"_s, Form::FontColor, Form::BackColor},
          {u"CatList"_s, u"CategoryList"_s, CatListStyle.fontColour, CatListStyle.backColour},
          {u"MemoList"_s, u"MemoList"_s, MemoListStyle.fontColour, MemoListStyle.backColour},
          {u"MemoTitle"_s, u"Memo - Title"_s, MemoTitleStyle.fontColour, MemoTitleStyle.backColour},
          {u"MemoTag"_s, u"Memo - TAG"_s, MemoTagStyle.fontColour, MemoTagStyle.backColour},
          {u"Contents"_s, u"Memo - Contents"_s, ContentsStyle.fontColour, ContentsStyle.backColour},
      }}
{
}

void OptionSettings::load(const SettingsFile& settings)
{
    for (FontRow& row : fonts) {
        row.font = settings.read(row.fontSetting);
        double size = settings.read(row.sizeSetting);
        if (size <= 0)
            size = row.sizeSetting.fallback;
        row.size = SettingsFile::formatNumber(size);
    }
    for (ColourObject& object : colours) {
        object.fontColour = settings.read(object.fontSetting);
        object.backColour = settings.read(object.backSetting);
    }
    memoChangeAutoSave = settings.read(General::MemoChangeAutoSave) != 0;
    memoSaveAutoTitle = settings.read(General::MemoSaveAutoTitle) != 0;
    isTrash = settings.read(General::IsTrash) != 0;
    focus = settings.read(General::Focus);
    if (focus < 0 || focus > 2)
        focus = 0;

    const std::optional<QString> password = DecodePassword(settings.read(Security::Password));
    m_passwordReadable = password.has_value();
    m_loadedPassword = password.value_or(QString());
    securityPassword = m_loadedPassword;
    securityMemoColour = settings.read(Security::MemoColor);

    editors.load(settings.path());
}

std::optional<QString> OptionSettings::unstorableReason() const
{
    for (const FontRow& row : fonts)
        if (!storable(row.font) || !storable(row.size.trimmed()))
            return QStringLiteral("「%1」のフォント設定が長すぎるため、保存できません。").arg(row.text);
    for (int index = 1; index < EditorChoices::Count; ++index) {
        if (!storable(editors.name(index)))
            return QStringLiteral("エディタ%1の名称が長すぎるため、保存できません。\n"
                                  "255バイト以内で入力してください。")
                .arg(index);
        if (!storable(editors.path(index)))
            return QStringLiteral("エディタ%1のパスが長すぎるため、保存できません。\n"
                                  "255バイト以内で入力してください。")
                .arg(index);
    }
    if (m_passwordReadable || securityPassword != m_loadedPassword)
        return unstorablePasswordReason(securityPassword);
    return std::nullopt;
}

bool OptionSettings::save(const SettingsFile& settings, MemoStore& store, Prompt& prompt)
{
    if (const std::optional<QString> reason = unstorableReason()) {
        prompt.critical(*reason);
        return false;
    }
    bool written = true;
    for (const FontRow& row : fonts) {
        written = settings.write(row.fontSetting, row.font) && written;
        // A number is stored in the settings' own form; anything else as typed,
        // to read back as the area's default size.
        if (const std::optional<double> size = fontSizeNumber(row.size))
            written = settings.write(row.sizeSetting, *size) && written;
        else
            written = settings.write(TextSetting{row.sizeSetting.section, row.sizeSetting.key, ""},
                                     row.size.trimmed()) &&
                      written;
    }
    for (const ColourObject& object : colours) {
        written = settings.write(object.fontSetting, object.fontColour) && written;
        written = settings.write(object.backSetting, object.backColour) && written;
    }
    written = settings.write(General::MemoChangeAutoSave, memoChangeAutoSave ? 1 : 0) && written;
    written = settings.write(General::MemoSaveAutoTitle, memoSaveAutoTitle ? 1 : 0) && written;
    written = settings.write(General::IsTrash, isTrash ? 1 : 0) && written;
    written = settings.write(General::Focus, focus) && written;

    // A stored password that could not be read stays as it is until the user
    // types a new one: writing the empty box would unprotect the database.
    bool securityStored = true;
    if (m_passwordReadable || securityPassword != m_loadedPassword)
        securityStored = saveSecurityPassword(settings, store, prompt, securityPassword);
    if (securityStored && (m_passwordReadable || securityPassword != m_loadedPassword)) {
        m_passwordReadable = true;
        m_loadedPassword = securityPassword;
    }
    written = settings.write(Security::MemoColor, securityMemoColour) && written;

    written = editors.save(settings.path()) && written;
    if (!written)
        prompt.critical(writeFailed(settings));
    return written && securityStored;
}

std::optional<double> OptionSettings::fontSizeNumber(const QString& typed)
{
    // Compatibility decomposition maps the full-width forms ("１６．５") to ASCII.
    const QString text = typed.normalized(QString::NormalizationForm_KC).trimmed();
    bool isNumber = false;
    const double size = QLocale::c().toDouble(text, &isNumber);
    if (!isNumber)
        return std::nullopt;
    return size;
}

bool OptionSettings::isFontSizeInRange(double size)
{
    // Written so that NaN is outside too.
    return size >= MinFontSize && size <= MaxFontSize;
}

QString OptionSettings::fontSizeRangeMessage()
{
    return QStringLiteral("フォントサイズは%1から%2までの数値で入力してください。")
        .arg(MinFontSize)
        .arg(MaxFontSize);
}

bool OptionSettings::setFont(const QList<int>& rows, const QString& font, const QString& size)
{
    QString stored = size;
    if (const std::optional<double> number = fontSizeNumber(size)) {
        if (!isFontSizeInRange(*number))
            return false;
        stored = SettingsFile::formatNumber(*number);
    }
    for (int row : rows) {
        if (row < 0 || row >= FontRowCount)
            continue;
        fonts[row].font = font;
        fonts[row].size = stored;
    }
    return true;
}

void OptionSettings::setColours(int object, quint32 fontColour, quint32 backColour)
{
    for (int index = 0; index < ColourObjectCount; ++index) {
        if (object != -1 && object != index)
            continue;
        colours[index].fontColour = fontColour;
        colours[index].backColour = backColour;
    }
}
