#pragma once

#include <QString>

// What a failed system call means for the user's diary, in Japanese. The system's own texts are
// English on most desktops; the usual ones are said here in Japanese, any other by its number.
namespace SystemReason {

// One sentence ending in 「。」, fit to stand inside a message.
QString Of(int errorNumber);

}
