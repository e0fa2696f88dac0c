#include "Platform/App/NotificationCenter.h"

#include <QMutexLocker>

#include <algorithm>

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(const void* observer, const QString& name, const void* object, Handler handler)
{
    QMutexLocker locker(&m_mutex);
    m_registrations.push_back({observer, name, object, std::make_shared<Handler>(std::move(handler))});
}

void NotificationCenter::removeObserver(const void* observer, const QString& name, const void* object)
{
    QMutexLocker locker(&m_mutex);
    std::erase_if(m_registrations, [&](const Registration& r) {
        return r.observer == observer && (name.isEmpty() || r.name == name) && (!object || r.object == object);
    });
}

void NotificationCenter::post(const QString& name, const void* object)
{
    std::vector<std::shared_ptr<Handler>> targets;
    {
        // Handlers run unlocked: one may add or remove observers, or post again.
        QMutexLocker locker(&m_mutex);
        for (const Registration& r : m_registrations) {
            if (r.name == name && (!r.object || r.object == object)) {
                targets.push_back(r.handler);
            }
        }
    }
    const Notification notification{name, object};
    for (const auto& handler : targets) {
        (*handler)(notification);
    }
}
