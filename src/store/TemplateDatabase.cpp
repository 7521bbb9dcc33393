#include "store/TemplateDatabase.h"

#include "store/SqliteDatabase.h"
#include "store/StatementCatalogue.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

QString TemplateDatabase::ensure(const QString& folder)
{
    QString path = folder + fileName();
    if (QFileInfo::exists(path))
        return path;
    // Built beside its final name and renamed, so a crash never leaves half a template.
    const QString partial = path + QStringLiteral(".partial");
    QFile::remove(partial);
    writeBuiltIn(partial);
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(partial);
        throw DatabaseError(QStringLiteral("テンプレートデータベースを作成できません。\n") + path);
    }
    return path;
}

void TemplateDatabase::copyTo(const QString& folder, const QString& target)
{
    SqliteDatabase source(ensure(folder), SqliteDatabase::Access::ReadOnly);
    source.backupTo(target);
}

void TemplateDatabase::writeBuiltIn(const QString& path)
{
    SqliteDatabase db(path, SqliteDatabase::Access::Create);
    auto transaction = SqliteDatabase::Transaction(db);
    db.execute(sql::CreateTemplateSchema);
    transaction.commit();
}
