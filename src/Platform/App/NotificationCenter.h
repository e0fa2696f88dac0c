#pragma once

#include <QMutex>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

// A posted notification: its name and the object that posted it (may be null).
struct Notification
{
    QString name;
    const void* object = nullptr;
};

// Observers by name with an optional object; a post is delivered synchronously on the posting thread.
class NotificationCenter
{
public:
    using Handler = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    // Calls handler for posts of name; with object null, for any object, else only for that object.
    void addObserver(const void* observer, const QString& name, const void* object, Handler handler);
    // Removes the observer's registrations for name (any name when empty) and object (any object when null).
    void removeObserver(const void* observer, const QString& name = QString(), const void* object = nullptr);
    // Delivers to every matching observer registered at the moment of the post.
    void post(const QString& name, const void* object = nullptr);

private:
    struct Registration
    {
        const void* observer;
        QString name;
        const void* object;
        std::shared_ptr<Handler> handler;
    };

    NotificationCenter() = default;

    QMutex m_mutex;
    std::vector<Registration> m_registrations;
};
