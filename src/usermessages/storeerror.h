#pragma once

#include <QString>
#include <stdexcept>

// A failure of the store (XML library, file system) with the text the user is shown.
class StoreError : public std::runtime_error
{
public:
    explicit StoreError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {
    }
    QString message() const { return m_message; }

private:
    QString m_message;
};
