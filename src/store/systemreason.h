#pragma once

#include <QString>

// What a failed system call means for the user's diary, in Japanese, with the system's own text
// after it in parentheses.
namespace SystemReason {

QString Of(int errorNumber);

}
