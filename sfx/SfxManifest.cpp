#include "sfx/SfxManifest.h"

#include "sfx/CatalogueReader.h"

#include <filesystem>
#include <stdexcept>

namespace vand::sfx {

using vand::audio::SfxType;
namespace fs = std::filesystem;

SfxManifest::SfxManifest()
{
    loadFromFile_(SfxType::AMBIENT);
    loadFromFile_(SfxType::PRIMARY);
}

SfxManifest::SfxManifest(const SfxManifest& other) = default;
SfxManifest& SfxManifest::operator=(const SfxManifest& other) = default;
SfxManifest::~SfxManifest() = default;

vand::audio::sfx::SfxVector SfxManifest::SoundEffects() const
{
    return primary_;
}

vand::audio::sfx::SfxVector SfxManifest::AmbientEffects() const
{
    return ambient_;
}

bool SfxManifest::HasEffectId(const std::string& id) const
{
    return primary_.Find(id) != vand::audio::sfx::SfxVector::npos
           || ambient_.Find(id) != vand::audio::sfx::SfxVector::npos;
}

std::optional<std::string> SfxManifest::path(const std::string& id) const
{
    for (const auto* list : {&primary_, &ambient_}) {
        const std::size_t index = list->Find(id);
        if (index != vand::audio::sfx::SfxVector::npos) {
            const char* file = list->GetPath(index);
            return std::string(file ? file : "");
        }
    }
    return std::nullopt;
}

std::optional<SfxType> SfxManifest::type(const std::string& id) const
{
    if (primary_.Find(id) != vand::audio::sfx::SfxVector::npos)
        return SfxType::PRIMARY;
    if (ambient_.Find(id) != vand::audio::sfx::SfxVector::npos)
        return SfxType::AMBIENT;
    return std::nullopt;
}

std::optional<std::string> SfxManifest::displayName(const std::string& id) const
{
    const auto found = names_.find(id);
    if (found == names_.end())
        return std::nullopt;
    return found->second;
}

void SfxManifest::loadFromFile_(SfxType type)
{
    vand::audio::sfx::SfxVector& list = type == SfxType::PRIMARY ? primary_ : ambient_;
    const auto entries = detail::ReadCatalogueList(type, list);
    if (!entries)
        return;

    std::string missing;
    std::size_t found = 0;
    std::error_code error;
    for (const detail::CatalogueEntry& entry : *entries) {
        if (fs::is_regular_file(entry.path, error)) {
            list.Add(entry.id);
            list.SetPath(found++, entry.path);
            names_.emplace(entry.id, entry.name);
        } else {
            missing += "\tMissing: " + entry.path + "\n";
        }
    }
    if (!missing.empty()) {
        throw std::runtime_error("The SFX manifest failed to find certain files, indicating the SFX install has "
                                 "failed or was corrupted. Please contact VAND. The following errors were found:\n"
                                 + missing);
    }
}

} // namespace vand::sfx
