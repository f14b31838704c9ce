#pragma once

#include <QString>

// What a failed system call means for the user's diary, in Japanese, with the system's own text
// after it in parentheses.
namespace SystemReason {

QString Of(int errorNumber);
// The system's own text alone, worded as QFile's errorString words it, in Japanese where Qt's
// translation has the text.
QString Text(int errorNumber);

}
