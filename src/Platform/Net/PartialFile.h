#pragma once

#include "Platform/Files/HiddenSiblings.h"
#include "Platform/Log/Result.h"

#include <QByteArray>
#include <QString>

#include <memory>

// The file a download writes into beside its destination: either a fresh temporary one, or the part kept at
// pathFor(destination) that a later download resumes. It replaces the destination only when put in place.
class PartialFile
{
public:
    PartialFile() = default;
    ~PartialFile();
    PartialFile(PartialFile&& other) noexcept;
    PartialFile& operator=(PartialFile&& other) noexcept;
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    // Where the kept part of a download to destination is held.
    static QString pathFor(const QString& destination);
    // Opens a new temporary file beside destination, so that putting it in place is a rename on one file system. It
    // has a hidden name of the one scheme the next start clears, and holds its folder against clearings meanwhile.
    static Result<PartialFile> openTemporary(const QString& destination);
    // Opens the kept part at pathFor(destination), made when missing, for appending to what it holds.
    static Result<PartialFile> openKept(const QString& destination);

    // Removes the part kept for destination and what was recorded beside it.
    static Result<> discardKept(const QString& destination);

    // Whether a file is open.
    bool isOpen() const;
    // The bytes the file holds.
    qint64 length() const;
    // What the file held when it was opened, until it starts over.
    qint64 keptLength() const;
    // The validator of the body the kept part is the start of (a strong entity tag or a Last-Modified date), as
    // recorded beside it; empty when none was, and such a part cannot be resumed safely.
    QByteArray validator() const;
    // Records validator for what the file holds, beside a kept part so that a later download can resume it.
    Result<> setValidator(const QByteArray& validator);
    // Adds data at the end.
    Result<> append(const char* data, qint64 size);
    // Drops everything, validator included, to be written from the start.
    Result<> restartWhole();
    // Closes the file and makes it the destination: replacing what is there only with allowOverwrite.
    Result<> placeAt(const QString& destination, bool allowOverwrite);
    // Closes and deletes the file.
    void remove();
    // Closes the file and leaves it for a later download; an empty one is deleted.
    void keep();

private:
    PartialFile(int fd, QString path, qint64 length);
    void close();
    QString validatorPath() const;
    void removeValidator();

    int m_fd = -1;
    // The folder's hold while a temporary file is there.
    std::unique_ptr<HiddenSiblings> m_siblings;
    QString m_path;
    qint64 m_length = 0;
    qint64 m_kept = 0;
    bool m_isKept = false;
    QByteArray m_validator;
};
