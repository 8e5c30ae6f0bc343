#include "app/StagedShowCheck.h"

#include <stdexcept>
#include <string>

#include "CL/ChangeLog.h"
#include "engine/ShowFile.h"
#include "engine/ShowModel.h"
#include "kit/File.h"
#include "show/ScorePackage.h"

namespace vand::qt {

namespace {

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

void CheckStagedShow(const vand::networking::StagedShow& show)
{
    const std::filesystem::path identityFile = show.Resolve("identity.json");
    for (const vand::networking::ShowFile& file : show.staged) {
        const std::filesystem::path path = show.Resolve(file.path);
        if (file.path == "show.json") {
            // Its own messages name show.json.
            vand::player::BuildShowModel(vand::player::ReadShowDefinition(path), show.showFolder);
        } else if (file.kind == "LOG" || EndsWith(file.path, ".logdata")) {
            try {
                CL::ChangeLog log(path, identityFile);
            } catch (const std::exception& e) {
                throw std::runtime_error("The change log \"" + file.path + "\" cannot be read: " + e.what());
            }
        } else if (file.kind == "SCORE" || EndsWith(file.path, ".score")) {
            const vand::show::ScorePackageLimits limits;
            const std::string why =
                vand::show::CheckScorePackage(kit::ReadWholeFile(path, limits.maxPackageBytes), limits);
            if (!why.empty())
                throw std::runtime_error("The score package \"" + file.path + "\" cannot be read: " + why);
        }
    }
}

} // namespace vand::qt
