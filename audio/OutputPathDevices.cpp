// The output-path device file: which device of this machine plays each
// output path, {"outputpaths":[{"id":"<path id>","hwid":"<device id>"},...]}.
#include "audio/OutputPathsManagerController.h"

#include <rapidjson/error/en.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <filesystem>
#include <stdexcept>

#include "kit/File.h"
#include "kit/Json.h"

namespace vand::qt {

namespace {

// Far beyond any show's paths; a larger file is refused, not read.
constexpr std::uintmax_t kMaxFileBytes = 16 * 1024 * 1024;

[[noreturn]] void WrongType(const std::string& where)
{
    throw std::runtime_error("The output path config file has a value of the wrong type: " + where + ".");
}

// A member's text up to its first zero byte.
std::string Text(const kit::json::Value& element, const char* name, const std::string& where)
{
    const kit::json::Value& value = element[name];
    if (!value.IsString())
        WrongType(where + "." + name);
    return std::string(value.GetString());
}

} // namespace

std::map<std::string, CL::OutputPath> OutputPathsManagerController::ReadOutputPathDevices(const std::string& filePath)
{
    const std::filesystem::path file = std::filesystem::u8path(filePath);
    if (!std::filesystem::exists(file))
        throw std::runtime_error("The Output path config file " + filePath + " does not exist.");
    const std::string text = kit::ReadWholeFile(file, kMaxFileBytes);

    rapidjson::Document document;
    try {
        kit::json::Parse(document, text);
    } catch (const kit::json::ParseError& e) {
        throw std::runtime_error("The output path config file has a parse error: "
                                 + std::to_string(static_cast<int>(e.Code())) + " "
                                 + rapidjson::GetParseError_En(e.Code()));
    }
    if (!document.IsObject())
        WrongType("the root");
    if (!document.HasMember("outputpaths"))
        throw std::runtime_error(
            "The output path config file does not contain a field called \"outputpaths\" and cannot be read.");
    const kit::json::Value& list = document["outputpaths"];
    if (!list.IsArray())
        WrongType("\"outputpaths\"");

    std::map<std::string, CL::OutputPath> paths;
    std::string lastId;
    for (rapidjson::SizeType i = 0; i < list.Size(); ++i) {
        const kit::json::Value& element = list[i];
        const std::string where = "outputpaths[" + std::to_string(i) + "]";
        if (!element.IsObject())
            WrongType(where);
        if (!element.HasMember("id")) {
            const std::string first = lastId.empty() ? "The first outputpath found "
                                                     : "The outputpath after the outputpath with id " + lastId + " ";
            throw std::runtime_error(first + " does not have an id. Failing.");
        }
        lastId = Text(element, "id", where);
        if (!element.HasMember("hwid")) {
            const std::string first =
                lastId.empty() ? "The first outputpath found " : "The outputpath with id " + lastId + " ";
            throw std::runtime_error(first + " does not have a hwid. Failing.");
        }
        paths[lastId] = CL::OutputPath(lastId, std::string(), Text(element, "hwid", where));
    }
    return paths;
}

std::string OutputPathsManagerController::OutputPathDevicesText(const std::map<std::string, CL::OutputPath>& paths)
{
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    writer.Key("outputpaths");
    writer.StartArray();
    for (const auto& [id, path] : paths) {
        writer.StartObject();
        writer.Key("id");
        writer.String(id.data(), static_cast<rapidjson::SizeType>(id.size()));
        writer.Key("hwid");
        const std::string& device = path.GetDeviceId();
        writer.String(device.data(), static_cast<rapidjson::SizeType>(device.size()));
        writer.EndObject();
    }
    writer.EndArray();
    writer.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
}

bool OutputPathsManagerController::WriteOutputPathDevices(const std::string& filePath,
                                                          std::map<std::string, CL::OutputPath> paths)
{
    kit::WriteFileAtomically(std::filesystem::u8path(filePath), OutputPathDevicesText(paths));
    return true;
}

} // namespace vand::qt
