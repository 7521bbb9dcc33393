#include "options/SystemColours.h"

const QStringList& SystemColours::names()
{
    static const QStringList list{
        QStringLiteral("スクロールバー"),
        QStringLiteral("デスクトップ"),
        QStringLiteral("アクティブタイトルバー"),
        QStringLiteral("非アクティブタイトルバー"),
        QStringLiteral("メニューバー"),
        QStringLiteral("ウィンドウの背景"),
        QStringLiteral("ウィンドウ枠"),
        QStringLiteral("メニューの文字"),
        QStringLiteral("ウィンドウの文字"),
        QStringLiteral("アクティブタイトルバーの文字"),
        QStringLiteral("アクティブウィンドウの境界"),
        QStringLiteral("非アクティブウィンドウの境界"),
        QStringLiteral("アプリケーションの作業域"),
        QStringLiteral("強調表示"),
        QStringLiteral("強調表示された文字列"),
        QStringLiteral("ボタンの表面"),
        QStringLiteral("ボタンの影"),
        QStringLiteral("淡色表示された文字列"),
        QStringLiteral("ボタンの文字"),
        QStringLiteral("非アクティブタイトルバーの文字"),
        QStringLiteral("ボタンの強調表示"),
        QStringLiteral("ボタンの影（濃）"),
        QStringLiteral("ボタンの影（淡）"),
        QStringLiteral("ツールヒントの文字"),
        QStringLiteral("ツールヒント"),
    };
    return list;
}
