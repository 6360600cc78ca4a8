#pragma once
// The one shape of an outcome: whether a call worked and, when it did not,
// which file failed and a message for the user that names the file and the
// system's reason. A Status is always made on purpose: there is no default,
// so a path that forgets to decide reads as a compile error, never as a
// silent success. Result<T> is the same with the value the call produced.
#include <QString>
#include <utility>

namespace nox
{

enum class StatusCode {
    Ok,
    NotFound,      // no such file or entry: nothing was changed
    Failed,        // a file could not be read or written
    ChangedOnDisk, // the file had changed on disk since it was read: both sides'
                   // changes were merged and written; the caller reads it again
};

class [[nodiscard]] Status
{
public:
    static Status success() { return Status(StatusCode::Ok, {}, {}); }
    // `file` may be empty where the failure concerns no one file.
    static Status failed(QString file, QString message)
    {
        return Status(StatusCode::Failed, std::move(file), std::move(message));
    }
    static Status notFound(QString file, QString message)
    {
        return Status(StatusCode::NotFound, std::move(file), std::move(message));
    }
    static Status changedOnDisk(QString file, QString message)
    {
        return Status(StatusCode::ChangedOnDisk, std::move(file), std::move(message));
    }
    // Success when `message` is empty, else a failure of `file`: for callees
    // that give their reason as text.
    static Status failedIf(QString file, QString message)
    {
        return message.isEmpty() ? success() : failed(std::move(file), std::move(message));
    }

    StatusCode code() const { return m_code; }
    bool ok() const { return m_code == StatusCode::Ok; }
    explicit operator bool() const { return ok(); }
    // The file that failed or was looked in; empty when ok.
    const QString& file() const { return m_file; }
    // For the user; empty when ok.
    const QString& message() const { return m_message; }

private:
    Status(StatusCode code, QString file, QString message)
        : m_code(code), m_file(std::move(file)), m_message(std::move(message))
    {
    }

    StatusCode m_code;
    QString m_file;
    QString m_message;
};

// A Status with the value a call produced. The value is there whatever the
// status: a failed read gives what could be read (often nothing), so that a
// caller that goes on after reporting the failure needs no second path.
template <class T>
class [[nodiscard]] Result
{
public:
    Result(Status status, T value) : m_status(std::move(status)), m_value(std::move(value)) {}
    // A failure with an empty value.
    Result(Status status) : m_status(std::move(status)), m_value() {}
    static Result success(T value) { return Result(Status::success(), std::move(value)); }

    bool ok() const { return m_status.ok(); }
    explicit operator bool() const { return ok(); }
    const Status& status() const { return m_status; }
    StatusCode code() const { return m_status.code(); }
    const QString& file() const { return m_status.file(); }
    const QString& message() const { return m_status.message(); }
    void setStatus(Status status) { m_status = std::move(status); }

    T& value() { return m_value; }
    const T& value() const { return m_value; }
    T* operator->() { return &m_value; }
    const T* operator->() const { return &m_value; }
    T& operator*() { return m_value; }
    const T& operator*() const { return m_value; }

private:
    Status m_status;
    T m_value;
};

} // namespace nox
