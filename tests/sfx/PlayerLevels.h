#pragma once

// Every level a player's runs set, in order, as the runs' threads report
// them (levelChanged).

#include "sfx/SfxPlayerImpl.h"

#include <QObject>

#include <mutex>
#include <vector>

namespace vand::test {

class Levels
{
public:
    explicit Levels(vand::audio::SfxPlayerImpl& player)
        : connection_(QObject::connect(
            &player, &vand::audio::SfxPlayerImpl::levelChanged, &player,
            [this](float level) {
                std::lock_guard lock(lock_);
                levels_.push_back(level);
            },
            Qt::DirectConnection))
    {
    }
    ~Levels() { QObject::disconnect(connection_); }
    Levels(const Levels& other) = delete;
    Levels& operator=(const Levels& other) = delete;

    std::vector<float> all() const
    {
        std::lock_guard lock(lock_);
        return levels_;
    }
    int count() const { return int(all().size()); }
    float last() const
    {
        const auto l = all();
        return l.empty() ? -1.0f : l.back();
    }

private:
    QMetaObject::Connection connection_;
    mutable std::mutex lock_;
    std::vector<float> levels_;
};

} // namespace vand::test
