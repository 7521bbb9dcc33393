// Export definitions: any file text parses without harm, and the template it
// gives fills in with a memo's values, which stand in the result as they are.
#include "FuzzInput.h"
#include "exchange/ExportDefinition.h"
#include "exchange/ExportMemos.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QList<QByteArray> parts = fuzzParts(data, size, 2);
    const ExportDefinition::Result result = ExportDefinition::parse(QString::fromUtf8(parts[0]));
    if (!result.ok())
        return 0;

    // A memo body that looks like placeholders is written as it stands.
    const QByteArray body = parts[1];
    ExportMemoRow row;
    row.recordId = 7;
    row.title = "title";
    row.body = body;
    row.publishTime = "2026/12/10 12:00:00";
    row.category = "a b";
    ExportContext context;
    context.userId = "default";
    context.nowTime = "12:00:00";
    context.nowDay = "2026/12/10";
    QByteArray text = result.templateText.toUtf8();
    const bool holdsMemo = text.contains("[!MEMO]");
    ExpandPlaceholders(text, row, context, false);
    if (holdsMemo)
        FUZZ_CHECK(text.contains(body));
    QByteArray name = result.templateText.toUtf8();
    ExpandPlaceholders(name, row, context, true);
    return 0;
}
