#include "deploy/installer_tables.h"

#include "base/ascii.h"

#include <algorithm>
#include <array>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>

namespace pelrin::deploy {
namespace {

std::vector<std::string> Fields(std::string_view line)
{
    std::vector<std::string> fields;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        fields.emplace_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

std::string Joined(const std::vector<std::string>& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i)
        line.append(i == 0 ? "" : "\t").append(fields[i]);
    return line + "\r\n";
}

// The first three fields of a product or file version, as the installer
// compares them; empty when the text is not a version (255.255.65535 at most
// for the first three).
std::optional<std::array<unsigned long, 3>> ComparedFields(const std::string& text, std::size_t* fieldCount = nullptr)
{
    const auto fields = VersionFields(text);
    if (!fields)
        return std::nullopt;
    std::array<unsigned long, 3> compared{};
    for (std::size_t i = 0; i < fields->size() && i < compared.size(); ++i) {
        if ((*fields)[i] > (i < 2 ? 255u : 65535u))
            return std::nullopt;
        compared[i] = (*fields)[i];
    }
    if (fieldCount != nullptr)
        *fieldCount = fields->size();
    return compared;
}

// A package's tables with the lookups the rules share.
class Package {
public:
    explicit Package(const InstallerPackage& package) : m_package(package) {}

    const InstallerTable& Table(const std::string& name) const
    {
        static const InstallerTable kEmpty;
        const auto found = m_package.tables.find(name);
        return found == m_package.tables.end() ? kEmpty : found->second;
    }

    // The cell of `column` in each row, with the row.
    template <typename Visit>
    void Rows(const std::string& table, Visit visit) const
    {
        const InstallerTable& t = Table(table);
        for (const auto& row : t.rows)
            visit([&](std::string_view column) -> const std::string& { return row.at(t.Column(column)); });
    }

    std::string Property(const std::string& name) const
    {
        std::string value;
        Rows("Property", [&](auto cell) {
            if (cell("Property") == name)
                value = cell("Value");
        });
        return value;
    }

    // The standard folder a directory lies under (the top of its chain below
    // TARGETDIR), or the directory itself.
    std::string Root(std::string directory) const
    {
        std::map<std::string, std::string> parents;
        Rows("Directory", [&](auto cell) { parents[cell("Directory")] = cell("Directory_Parent"); });
        for (std::size_t steps = 0; steps <= parents.size(); ++steps) {
            const auto parent = parents.find(directory);
            if (parent == parents.end() || parent->second.empty() || parent->second == "TARGETDIR" ||
                parent->second == directory)
                return directory;
            directory = parent->second;
        }
        return directory; // a loop: reported by the installer itself
    }

    std::map<std::string, int> ComponentAttributes() const
    {
        std::map<std::string, int> attributes;
        Rows("Component", [&](auto cell) { attributes[cell("Component")] = std::stoi(cell("Attributes")); });
        return attributes;
    }

    const InstallerPackage& Summary() const { return m_package; }

private:
    const InstallerPackage& m_package;
};

constexpr int kComponent64 = 256;
constexpr std::array<std::string_view, 3> kFolders64{"ProgramFiles64Folder", "CommonFiles64Folder", "System64Folder"};
constexpr std::array<std::string_view, 3> kFolders32{"ProgramFilesFolder", "CommonFilesFolder", "SystemFolder"};

template <typename Names>
bool Among(const Names& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

void CheckBitness(const Package& package, std::vector<std::string>& problems)
{
    const InstallerPackage& summary = package.Summary();
    const bool package64 = summary.platform == "x64" || summary.platform == "Intel64" || summary.platform == "Arm64";
    const int minimumSchema = summary.platform == "x64" ? 200 : summary.platform == "Intel64" ? 150 : 0;
    if (summary.schema < minimumSchema)
        problems.push_back("ICE80: a " + summary.platform + " package needs schema " + std::to_string(minimumSchema) +
                           ", not " + std::to_string(summary.schema));
    const std::string language = package.Property("ProductLanguage");
    if (std::none_of(summary.languages.begin(), summary.languages.end(),
                     [&](unsigned l) { return std::to_string(l) == language; }))
        problems.push_back("ICE80: ProductLanguage " + language + " is not in the Template");
    const auto attributes = package.ComponentAttributes();
    package.Rows("Component", [&](auto cell) {
        const std::string& component = cell("Component");
        const bool component64 = (attributes.at(component) & kComponent64) != 0;
        const std::string root = package.Root(cell("Directory_"));
        if (component64 && !package64)
            problems.push_back("ICE80: 64-bit component " + component + " in a " + summary.platform + " package");
        else if (component64 && Among(kFolders32, root))
            problems.push_back("ICE80: 64-bit component " + component + " in the 32-bit folder " + root);
        else if (!component64 && Among(kFolders64, root))
            problems.push_back("ICE80: 32-bit component " + component + " in the 64-bit folder " + root);
    });
    if (!package64) {
        package.Rows("Directory", [&](auto cell) {
            if (Among(kFolders64, cell("Directory")))
                problems.push_back("ICE80: 32-bit package uses " + cell("Directory"));
        });
    }
}

// Where a resource goes: always per user, always per machine, or per user or
// per machine as the install's context is.
enum class Scope { User, Machine, Context };
const char* Name(Scope scope)
{
    return scope == Scope::User ? "per-user" : scope == Scope::Machine ? "per-machine" : "install-context";
}

constexpr std::array<std::string_view, 6> kUserFolders{"AppDataFolder",  "LocalAppDataFolder", "PersonalFolder",
                                                       "FavoritesFolder", "NetHoodFolder",      "RecentFolder"};
constexpr std::array<std::string_view, 8> kContextFolders{
    "ProgramFilesFolder", "ProgramFiles64Folder", "CommonFilesFolder", "CommonFiles64Folder",
    "DesktopFolder",      "ProgramMenuFolder",    "StartMenuFolder",   "StartupFolder"};

class Scopes {
public:
    explicit Scopes(const Package& package) : m_package(package)
    {
        const std::string allUsers = package.Property("ALLUSERS");
        m_perMachine = allUsers == "1";
        // Windows Installer 5.0 sends a dual-purpose package's program
        // folders to the user's own when it installs per user.
        m_dualPurpose = allUsers == "2" && package.Summary().schema >= 500;
    }

    Scope OfRoot(int root) const
    {
        if (root == 1)
            return Scope::User;
        if (root == 2 || root == 3 || m_perMachine)
            return Scope::Machine;
        return Scope::Context; // HKCR and -1: the install's own classes
    }

    Scope OfDirectory(const std::string& directory) const
    {
        const std::string root = m_package.Root(directory);
        if (Among(kUserFolders, root))
            return Scope::User;
        const bool programFolder = root.find("ProgramFiles") != std::string::npos || root.find("CommonFiles") != std::string::npos;
        if (Among(kContextFolders, root) && !m_perMachine && (m_dualPurpose || !programFolder))
            return Scope::Context;
        return Scope::Machine;
    }

    bool MayInstallPerUser() const { return !m_perMachine; }

private:
    const Package& m_package;
    bool m_perMachine = false;
    bool m_dualPurpose = false;
};

void CheckScopes(const Package& package, std::vector<std::string>& problems)
{
    const Scopes scopes(package);
    std::map<std::string, std::set<Scope>> found;
    std::map<std::string, std::string> directories;
    package.Rows("Component", [&](auto cell) {
        directories[cell("Component")] = cell("Directory_");
        found[cell("Component")];
    });
    package.Rows("File", [&](auto cell) {
        found[cell("Component_")].insert(scopes.OfDirectory(directories[cell("Component_")]));
    });
    package.Rows("Registry", [&](auto cell) { found[cell("Component_")].insert(scopes.OfRoot(std::stoi(cell("Root")))); });
    for (const auto& [component, kinds] : found) {
        if (kinds.size() > 1)
            problems.push_back("ICE57: component " + component + " mixes " + Name(*kinds.begin()) + " and " +
                               Name(*kinds.rbegin()) + " data");
    }
}

void CheckUpgrades(const Package& package, std::vector<std::string>& problems)
{
    std::size_t fieldCount = 0;
    const std::string productVersion = package.Property("ProductVersion");
    const auto product = ComparedFields(productVersion, &fieldCount);
    if (!product)
        problems.push_back("ICE61: ProductVersion " + productVersion + " is not a product version");
    else if (fieldCount == 4 && productVersion.substr(productVersion.rfind('.')) != ".0")
        problems.push_back("ICE61: ProductVersion " + productVersion +
                           " counts releases in the fourth field, which the installer ignores");
    // (Built by appending: GCC 12 misreads operator+ on a temporary, -Wrestrict.)
    const std::string secure = std::string(";").append(package.Property("SecureCustomProperties")).append(";");
    std::set<std::string> properties;
    package.Rows("Upgrade", [&](auto cell) {
        const std::string& property = cell("ActionProperty");
        const std::string& minimum = cell("VersionMin");
        const std::string& maximum = cell("VersionMax");
        const int attributes = std::stoi(cell("Attributes"));
        if (std::any_of(property.begin(), property.end(), [](char c) { return ToUpperAscii(c) != c; }))
            problems.push_back("ICE61: " + property + " is not a public property");
        if (!package.Property(property).empty())
            problems.push_back("ICE61: " + property + " is set in the Property table");
        if (secure.find(";" + property + ";") == std::string::npos)
            problems.push_back("ICE61: " + property + " is not in SecureCustomProperties");
        if (!properties.insert(property).second)
            problems.push_back("ICE61: " + property + " names more than one Upgrade row");
        const auto low = minimum.empty() ? std::optional<std::array<unsigned long, 3>>{} : ComparedFields(minimum);
        const auto high = maximum.empty() ? std::optional<std::array<unsigned long, 3>>{} : ComparedFields(maximum);
        if ((!minimum.empty() && !low) || (!maximum.empty() && !high))
            problems.push_back("ICE61: " + property + " has a range that is not of product versions");
        else if (low && high && *high < *low)
            problems.push_back("ICE61: " + property + " ends below its start");
        constexpr int kOnlyDetect = 2;
        constexpr int kMaximumInclusive = 512;
        if ((attributes & kOnlyDetect) != 0 || cell("UpgradeCode") != package.Property("UpgradeCode") || !product)
            return;
        if (!high || *high > *product || (*high == *product && (attributes & kMaximumInclusive) != 0))
            problems.push_back("ICE61: " + property + " removes versions of this product that are not older than " +
                               productVersion);
    });
}

void CheckVersionedFiles(const Package& package, std::vector<std::string>& problems)
{
    std::set<std::string> hashed;
    package.Rows("MsiFileHash", [&](auto cell) { hashed.insert(cell("File_")); });
    package.Rows("File", [&](auto cell) {
        const std::string& file = cell("File");
        const std::string& name = cell("FileName");
        const std::string longName = ToLowerAscii(name.substr(name.find('|') + 1));
        const bool program = longName.ends_with(".dll") || longName.ends_with(".exe") || longName.ends_with(".ocx") ||
                             longName.ends_with(".sys");
        const std::string& version = cell("Version");
        if (program && (version.empty() || cell("Language").empty()))
            problems.push_back("versioned files: " + file + " (" + name + ") has no version and language");
        if (!version.empty() && !ComparedFields(version))
            problems.push_back("versioned files: " + file + " has the version " + version);
        if (!version.empty() && hashed.count(file) != 0)
            problems.push_back("versioned files: " + file + " is versioned and has a hash");
    });
}

void CheckOwners(const Package& package, std::vector<std::string>& problems)
{
    const auto attributes = package.ComponentAttributes();
    std::map<std::string, std::string> owners;
    package.Rows("Registry", [&](auto cell) {
        const std::string& component = cell("Component_");
        const std::string& root = cell("Root");
        std::string key = ToLowerAscii(cell("Key"));
        const bool classes = root == "0" || key.rfind("software\\classes\\", 0) == 0;
        if (root != "0" && classes)
            key.erase(0, std::string_view("software\\classes\\").size());
        const bool shared = classes && SharedByBothViews(key);
        const auto bits = attributes.find(component);
        const std::string view = shared ? "shared"
                                 : bits != attributes.end() && (bits->second & kComponent64) != 0 ? "64"
                                                                                                   : "32";
        const std::string identity = view + "|" + (classes ? "classes" : root) + "|" + key + "|" + ToLowerAscii(cell("Name"));
        const auto [owner, added] = owners.emplace(identity, component);
        if (!added && owner->second != component)
            problems.push_back("one owner: " + cell("Key") + " " + (cell("Name").empty() ? "(default)" : cell("Name")) +
                               " is written by " + owner->second + " and " + component);
    });
}

void CheckPerUser(const Package& package, std::vector<std::string>& problems)
{
    const std::string allUsers = package.Property("ALLUSERS");
    const int schema = package.Summary().schema;
    constexpr int kNoElevation = 8;
    if (allUsers == "2" && schema < 500)
        problems.push_back(std::string("per user: ALLUSERS=2 with MSIINSTALLPERUSER needs schema 500, not ")
                               .append(std::to_string(schema)));
    const bool machineByDefault = allUsers == "1" || (allUsers == "2" && package.Property("MSIINSTALLPERUSER") != "1");
    if (machineByDefault && (package.Summary().wordCount & kNoElevation) != 0)
        problems.push_back("per user: installs per machine by default but says it needs no elevation");
    if (allUsers == "1")
        return;
    package.Rows("Registry", [&](auto cell) {
        if (cell("Root") == "2" || cell("Root") == "3")
            problems.push_back("per user: " + cell("Registry") + " writes per-machine data even per user");
    });
}

} // namespace

bool SharedByBothViews(std::string_view classesKey)
{
    // Each view has its own copy of these; the rest of the classes is one key.
    constexpr std::array<std::string_view, 5> kRedirected{"clsid", "interface", "directshow", "media type",
                                                          "mediafoundation"};
    const std::string top = ToLowerAscii(std::string(classesKey.substr(0, classesKey.find('\\'))));
    return !Among(kRedirected, top);
}

std::size_t InstallerTable::Column(std::string_view name) const
{
    const auto found = std::find(columns.begin(), columns.end(), name);
    if (found == columns.end())
        throw std::invalid_argument("no column " + std::string(name));
    return static_cast<std::size_t>(found - columns.begin());
}

InstallerTable ReadIdt(std::string_view text)
{
    InstallerTable table;
    std::size_t line = 0;
    for (std::size_t start = 0; start < text.size(); ++line) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view content = text.substr(start, end - start);
        if (!content.empty() && content.back() == '\r')
            content.remove_suffix(1);
        start = end + 1;
        std::vector<std::string> fields = Fields(content);
        if (line == 0)
            table.columns = std::move(fields);
        else if (line == 1)
            table.types = std::move(fields);
        else if (line == 2)
            table.keys = std::move(fields);
        else if (fields.size() > table.columns.size())
            throw std::invalid_argument("row with " + std::to_string(fields.size()) + " fields in a table of " +
                                        std::to_string(table.columns.size()) + " columns");
        else {
            fields.resize(table.columns.size());
            table.rows.push_back(std::move(fields));
        }
    }
    if (line < 3)
        throw std::invalid_argument("a table needs its three header lines");
    return table;
}

std::string WriteIdt(const InstallerTable& table)
{
    std::string text = Joined(table.columns) + Joined(table.types) + Joined(table.keys);
    for (const auto& row : table.rows)
        text += Joined(row);
    return text;
}

void SetFileVersions(InstallerTable& file, InstallerTable& fileHash, const std::map<std::string, VersionBlock>& versions)
{
    const std::size_t key = file.Column("File");
    const std::size_t version = file.Column("Version");
    const std::size_t language = file.Column("Language");
    for (auto& row : file.rows) {
        const auto found = versions.find(row[key]);
        if (found == versions.end())
            continue;
        row[version] = found->second.fileVersion;
        row[language] = std::to_string(found->second.language);
    }
    const std::size_t hashed = fileHash.Column("File_");
    std::erase_if(fileHash.rows, [&](const auto& row) { return versions.count(row[hashed]) != 0; });
}

void ReadSummary(std::string_view suminfo, InstallerPackage& package)
{
    std::istringstream lines{std::string(suminfo)};
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t colon = line.find(": ");
        if (colon == std::string::npos)
            continue;
        const std::string name = line.substr(0, colon);
        const std::string value = line.substr(colon + 2);
        if (name == "Template") {
            const std::size_t semicolon = value.find(';');
            package.platform = value.substr(0, semicolon);
            std::istringstream languages(semicolon == std::string::npos ? "" : value.substr(semicolon + 1));
            for (std::string language; std::getline(languages, language, ',');)
                package.languages.push_back(static_cast<unsigned>(std::stoul(language)));
        } else if (name == "Version") {
            package.schema = std::stoi(value);
        } else if (name == "Source") {
            package.wordCount = std::stoi(value);
        }
    }
}

std::vector<std::string> CheckInstallerPackage(const InstallerPackage& installerPackage)
{
    const Package package(installerPackage);
    std::vector<std::string> problems;
    CheckBitness(package, problems);
    CheckScopes(package, problems);
    CheckUpgrades(package, problems);
    CheckVersionedFiles(package, problems);
    CheckOwners(package, problems);
    CheckPerUser(package, problems);
    return problems;
}

} // namespace pelrin::deploy
