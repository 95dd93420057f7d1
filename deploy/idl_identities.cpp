#include "deploy/idl_identities.h"

#include "base/ascii.h"

#include <algorithm>
#include <regex>

namespace pelrin::deploy {
namespace {

std::string WithoutComments(std::string_view idl)
{
    std::string text;
    for (std::size_t i = 0; i < idl.size();) {
        if (idl.compare(i, 2, "/*") == 0) {
            const std::size_t end = idl.find("*/", i + 2);
            i = end == std::string_view::npos ? idl.size() : end + 2;
        } else if (idl.compare(i, 2, "//") == 0) {
            i = std::min(idl.find('\n', i), idl.size());
        } else {
            text.push_back(idl[i++]);
        }
    }
    return text;
}

// The text inside `name(...)` of an attribute block; empty when absent.
std::string Attribute(const std::string& attributes, const char* name)
{
    const std::regex pattern(std::string("(^|[,\\s])") + name + "\\s*\\(\\s*([^)]*?)\\s*\\)");
    std::smatch match;
    return std::regex_search(attributes, match, pattern) ? match[2].str() : std::string();
}

bool HasFlag(const std::string& attributes, const char* name)
{
    return std::regex_search(attributes, std::regex(std::string("(^|[,\\s])") + name + "\\s*(,|$)"));
}

std::string Guid(std::string text)
{
    if (text.empty())
        return text;
    // Built by appending: GCC 12 misreads chains of operator+ on strings (-Wrestrict).
    std::string guid = "{";
    guid.append(ToUpperAscii(text)).append("}");
    return guid;
}

std::string Unquoted(const std::string& text)
{
    return text.size() >= 2 && text.front() == '"' && text.back() == '"' ? text.substr(1, text.size() - 2) : text;
}

} // namespace

std::optional<IdlIdentities> ReadIdlIdentities(std::string_view idl)
{
    const std::string text = WithoutComments(idl);
    const std::regex declaration(R"(\[([^\]]*)\]\s*(interface|dispinterface|library|coclass)\s+(\w+))");
    IdlIdentities identities;
    bool haveLibrary = false;
    for (std::sregex_iterator it(text.begin(), text.end(), declaration), end; it != end; ++it) {
        const std::string attributes = (*it)[1].str();
        const std::string kind = (*it)[2].str();
        const std::string name = (*it)[3].str();
        const std::string id = Guid(Attribute(attributes, "uuid"));
        if (id.empty())
            continue; // a class's member ("[default] interface IX;"), not a definition
        if (kind == "library") {
            const std::string version = Attribute(attributes, "version");
            const std::size_t dot = version.find('.');
            if (version.empty())
                return std::nullopt;
            identities.libraryName = name;
            identities.libraryId = id;
            identities.versionMajor = static_cast<unsigned>(std::stoul(version.substr(0, dot)));
            identities.versionMinor =
                dot == std::string::npos ? 0u : static_cast<unsigned>(std::stoul(version.substr(dot + 1)));
            const std::string lcid = Attribute(attributes, "lcid");
            identities.lcid = lcid.empty() ? 0u : static_cast<unsigned>(std::stoul(lcid, nullptr, 0));
            identities.libraryHelp = Unquoted(Attribute(attributes, "helpstring"));
            identities.libraryFlags = (HasFlag(attributes, "restricted") ? 1u : 0u) |
                                      (HasFlag(attributes, "control") ? 2u : 0u) |
                                      (HasFlag(attributes, "hidden") ? 4u : 0u);
            haveLibrary = true;
        } else if (kind == "coclass") {
            identities.classes.push_back({name, id});
        } else {
            identities.interfaces.push_back(
                {name, id, HasFlag(attributes, "dual") || HasFlag(attributes, "oleautomation")});
        }
    }
    if (!haveLibrary)
        return std::nullopt;
    return identities;
}

} // namespace pelrin::deploy
