#include "ui/failurereport.h"

#include "usermessages/storeerror.h"
#include "usermessages/words.h"

#include <exception>
#include <new>

namespace FailureReport {

void Guarded(const std::function<void()> &handling, const std::function<void(const QString &text)> &report)
{
    // The handling stopped somewhere in the middle; only a save writes a file, and a save replaces
    // the file whole or not at all.
    const auto unfinished = [&report](const QString &cause, const QString &whatNow, const QString &systemText) {
        report(Words::WithDetail(cause
                + QStringLiteral("この操作を最後まで行えませんでした。日記のファイルは、最後に%1したときのままです。")
                      .arg(Words::Save)
                + whatNow,
            systemText));
    };
    const QString checkTheWindow = QStringLiteral("画面の内容を確かめてから続けてください。");
    try {
        handling();
    } catch (const StoreError &error) {
        unfinished(QString(), checkTheWindow, error.message());
    } catch (const std::bad_alloc &) {
        // The library's own text for it says nothing more, and only in English.
        unfinished(QStringLiteral("メモリーが足りなくなったため、"),
            QStringLiteral("ほかのプログラムを閉じてから、もう一度行ってください。"), QString());
    } catch (const std::exception &error) {
        unfinished(QString(), checkTheWindow, QString::fromLocal8Bit(error.what()));
    }
}

}
