#include "store/xml/xmlerrortext.h"

#include <libxml/xmlerror.h>

namespace XmlErrorText {

namespace {

QString Worded(int code)
{
    switch (code) {
    case XML_ERR_NO_MEMORY:
        return QStringLiteral("読み込むためのメモリーが足りません。");
    case XML_ERR_DOCUMENT_EMPTY:
        return QStringLiteral("中身が空か、XML の形になっていません。");
    case XML_ERR_DOCUMENT_END:
    case XML_ERR_EXTRA_CONTENT:
        return QStringLiteral("日記の終わりのあとに、余分な内容があります。");
    case XML_ERR_TAG_NOT_FINISHED:
    case XML_ERR_NOT_WELL_BALANCED:
        return QStringLiteral("ファイルが途中で終わっています（書きかけか、一部が欠けています）。");
    case XML_ERR_TAG_NAME_MISMATCH:
    case XML_ERR_LTSLASH_REQUIRED:
        return QStringLiteral("始まりと終わりの印の組み合わせが合っていません。");
    case XML_ERR_GT_REQUIRED:
    case XML_ERR_LT_REQUIRED:
    case XML_ERR_NAME_REQUIRED:
    case XML_ERR_SPACE_REQUIRED:
    case XML_ERR_EQUAL_REQUIRED:
    case XML_ERR_ATTRIBUTE_WITHOUT_VALUE:
    case XML_ERR_ATTRIBUTE_NOT_STARTED:
    case XML_ERR_ATTRIBUTE_NOT_FINISHED:
    case XML_ERR_LITERAL_NOT_STARTED:
    case XML_ERR_LITERAL_NOT_FINISHED:
    case XML_ERR_STRING_NOT_CLOSED:
    case XML_ERR_STRING_NOT_STARTED:
        return QStringLiteral("印（タグ）の書き方が崩れています。");
    case XML_ERR_ATTRIBUTE_REDEFINED:
        return QStringLiteral("一つの印に同じ名前の項目が二つあります。");
    case XML_ERR_INVALID_CHAR:
    case XML_ERR_INVALID_CHARREF:
    case XML_ERR_INVALID_DEC_CHARREF:
    case XML_ERR_INVALID_HEX_CHARREF:
        return QStringLiteral("文字として読めないバイトか、XML では使えない文字があります。");
    case XML_ERR_UNDECLARED_ENTITY:
    case XML_WAR_UNDECLARED_ENTITY:
    case XML_ERR_ENTITYREF_SEMICOL_MISSING:
    case XML_ERR_ENTITYREF_NO_NAME:
        return QStringLiteral("「&」で始まる書き方に、知らない名前か誤りがあります。");
    case XML_ERR_ENTITY_LOOP:
        return QStringLiteral("「&」で始まる書き方が自分自身を呼んでいて、読むと際限なく大きくなります。");
    case XML_ERR_INVALID_ENCODING:
    case XML_I18N_CONV_FAILED:
        return QStringLiteral("文字コードの表せない並びがあります（Shift_JIS として読めない部分があります）。");
    case XML_ERR_UNSUPPORTED_ENCODING:
    case XML_ERR_UNKNOWN_ENCODING:
    case XML_I18N_NO_NAME:
    case XML_I18N_NO_HANDLER:
        return QStringLiteral("ファイルが宣言している文字コードを読めません。");
    case XML_ERR_XMLDECL_NOT_STARTED:
    case XML_ERR_XMLDECL_NOT_FINISHED:
    case XML_ERR_VERSION_MISSING:
    case XML_ERR_RESERVED_XML_NAME:
        return QStringLiteral("先頭の XML 宣言が崩れています。");
    case XML_ERR_COMMENT_NOT_FINISHED:
        return QStringLiteral("注釈（<!-- -->）が閉じていません。");
    case XML_ERR_PI_NOT_FINISHED:
    case XML_ERR_CDATA_NOT_FINISHED:
    case XML_ERR_MISPLACED_CDATA_END:
        return QStringLiteral("特別な区切り（<? ?> や <![CDATA[ ]]>）が崩れています。");
    default:
        return {};
    }
}

}

QString Of(int code, int line, const QString &detail)
{
    QString text = Worded(code);
    if (text.isEmpty())
        text = QStringLiteral("XML の書き方に誤りがあります。");
    if (line > 0)
        text = QStringLiteral("%1 行目: %2").arg(line).arg(text);
    if (Worded(code).isEmpty() && !detail.isEmpty())
        text += QStringLiteral(" 詳細: %1").arg(detail);
    return text;
}

}
