#include "check/finding_printer.h"

namespace pelrin::check {

std::string JsonString(std::string_view text)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted.push_back('\\');
            quoted.push_back(c);
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\r') {
            quoted += "\\r";
        } else if (c == '\t') {
            quoted += "\\t";
        } else if (byte < 0x20) {
            quoted += "\\u00";
            quoted.push_back(kHex[byte >> 4]);
            quoted.push_back(kHex[byte & 0xF]);
        } else {
            quoted.push_back(c);
        }
    }
    quoted.push_back('"');
    return quoted;
}

void FindingPrinter::Print(std::string_view file, const Finding& finding)
{
    std::string line;
    if (m_json) {
        line = m_count == 0 ? "[\n  {" : ",\n  {";
        line.append("\"file\": ").append(JsonString(file));
        line.append(", \"line\": ").append(std::to_string(finding.position.line));
        line.append(", \"column\": ").append(std::to_string(finding.position.column));
        line.append(", \"phrase\": ").append(JsonString(finding.written));
        line.append(", \"alternates\": [");
        for (std::size_t i = 0; i < finding.alternates.size(); ++i)
            line.append(i == 0 ? "" : ", ").append(JsonString(finding.alternates[i]));
        line.append("]}");
    } else {
        line.append(file).append(":").append(std::to_string(finding.position.line));
        line.append(":").append(std::to_string(finding.position.column)).append(": \"");
        line.append(finding.written).append("\" ->");
        if (finding.alternates.empty())
            line.append(" (omit)");
        for (std::size_t i = 0; i < finding.alternates.size(); ++i)
            line.append(i == 0 ? " \"" : ", \"").append(finding.alternates[i]).append("\"");
        line.append("\n");
    }
    std::fwrite(line.data(), 1, line.size(), m_out);
    ++m_count;
}

void FindingPrinter::Finish()
{
    if (m_json)
        std::fputs(m_count == 0 ? "[]\n" : "\n]\n", m_out);
    std::fflush(m_out);
}

} // namespace pelrin::check
