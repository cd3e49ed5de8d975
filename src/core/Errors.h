#pragma once

#include <QString>

#include <stdexcept>

// The program's errors. A handler that raises one stops there; the application object shows the
// text through the general error report.
class EKuvertinoError : public std::runtime_error
{
public:
    explicit EKuvertinoError(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    {}
    QString message() const { return m_message; }

private:
    QString m_message;
};

// A file read that ran past the end, or a write that failed or came up short.
class EInOutError : public EKuvertinoError
{
public:
    using EKuvertinoError::EKuvertinoError;
};

// The print service refused a job, or there is no printer to print on.
class EPrinterError : public EKuvertinoError
{
public:
    using EKuvertinoError::EKuvertinoError;
};
