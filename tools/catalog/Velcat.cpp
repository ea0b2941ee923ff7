#include "Velcat.h"

#include <string_view>

#include "CatalogCheck.h"
#include "JsonLayout.h"
#include "ToolFiles.h"
#include "catalog/CatalogFile.h"
#include "catalog/SoftCatalog.h"

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

const char kHelp[] =
    "velcat - packs, unpacks and checks the Velmora catalogue (data\\velmora_config.dat)\n"
    "\n"
    "Usage:\n"
    "  velcat pack [--force] SOURCE.json CATALOGUE.dat\n"
    "      Checks the JSON source and writes the catalogue file the program reads. Nothing is written when the\n"
    "      check finds an error, unless --force is given (text the program cannot load is never written).\n"
    "      A UTF-8 byte-order mark at the start of the source is removed.\n"
    "  velcat unpack [--raw] CATALOGUE.dat SOURCE.json\n"
    "      Writes the catalogue's JSON text, indented, members in their original order. With --raw the text is\n"
    "      written exactly as stored. SOURCE.json may be - for standard output.\n"
    "  velcat check FILE...\n"
    "      Reads each catalogue (or JSON source) as the program would and lists what to fix, one line each:\n"
    "        FILE: error: table[1] (id 2 \"Cleaning\") softlist[0] (itemid 7 \"Junk\"): \"softid\" is a quoted ...\n"
    "      Errors are things that break: members of the wrong JSON type (they read as 0 or empty), repeated\n"
    "      softids, cards and banners whose softid has no tool in \"softlist\", download types outside 1 to 4,\n"
    "      empty package URLs, \"os\" texts that hide a card everywhere, a byte-order mark, check-file names\n"
    "      that are absolute or use \"..\", pictures without their MD5. Warnings are worth a look but harmless.\n"
    "  velcat --help\n"
    "\n"
    "Exit status: 0 when everything was done and no error was found, 1 on errors, 2 on a wrong command line.\n"
    "\n"
    "The catalogue is UTF-8 JSON: an object with the arrays \"softlist\" (tools), \"table\" (categories, each with\n"
    "its cards in \"softlist\") and \"bannerList\". Numbers must be plain whole numbers, not quoted; an \"os\" text\n"
    "lists Windows version codes separated by commas (8 = Windows 7, 10 = 8, 11 = 8.1, 12 = 10, 13 = 11) and\n"
    "shows the card everywhere when empty.\n";

const char* SeverityName(Severity severity) { return severity == Severity::kError ? "error" : "warning"; }

std::string Plural(int n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

std::string Summary(const CatalogLists& lists) {
    int cards = 0;
    for (const TableEntry& table : lists.tables) cards += static_cast<int>(table.items.size());
    return Plural(static_cast<int>(lists.softs.size()), "tool", "tools") + ", " +
           Plural(static_cast<int>(lists.tables.size()), "category", "categories") + ", " +
           Plural(cards, "card", "cards") + ", " + Plural(static_cast<int>(lists.banners.size()), "banner", "banners");
}

void PrintFindings(const std::string& file, const CheckReport& report, std::ostream& err) {
    for (const Finding& finding : report.findings)
        err << file << ": " << SeverityName(finding.severity) << ": " << finding.text << '\n';
}

int Usage(std::ostream& err, const std::string& message) {
    err << "velcat: " << message << "\n"
        << "Try 'velcat --help'.\n";
    return kVelcatUsage;
}

// Splits options (leading "--") from operands.
bool SplitArguments(const std::vector<std::string>& arguments, const std::vector<std::string>& known,
                    std::vector<std::string>& options, std::vector<std::string>& operands, std::string& unknown) {
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a.size() > 1 && a[0] == '-' && a != "-") {
            bool found = false;
            for (const std::string& k : known) found = found || a == k;
            if (!found) {
                unknown = a;
                return false;
            }
            options.push_back(a);
        } else {
            operands.push_back(a);
        }
    }
    return true;
}

bool Has(const std::vector<std::string>& options, const char* option) {
    for (const std::string& o : options)
        if (o == option) return true;
    return false;
}

int Pack(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    std::vector<std::string> options, operands;
    std::string unknown;
    if (!SplitArguments(arguments, {"--force"}, options, operands, unknown))
        return Usage(err, "pack: unknown option " + unknown);
    if (operands.size() != 2) return Usage(err, "pack needs a JSON source and a catalogue file to write");
    const std::string& source = operands[0];
    const std::string& target = operands[1];

    std::string text;
    if (!ReadFileBytes(source, text)) {
        err << source << ": error: cannot read the file\n";
        return kVelcatFailed;
    }
    if (IsPackedCatalog(text)) {
        err << source << ": error: this is already a packed catalogue; pack takes the JSON source\n";
        return kVelcatFailed;
    }
    const CheckReport report = CheckCatalogJson(text);
    PrintFindings(source, report, err);
    if (!report.loadable) {
        err << source << ": error: the program could not load this text; nothing written\n";
        return kVelcatFailed;
    }
    const int errors = report.Count(Severity::kError);
    if (errors > 0 && !Has(options, "--force")) {
        err << source << ": " << Plural(errors, "error", "errors") << "; nothing written (--force writes anyway)\n";
        return kVelcatFailed;
    }
    if (text.compare(0, kBom.size(), kBom) == 0) text.erase(0, kBom.size());

    const std::string image = PackCatalogFile(text);
    CatalogLists lists;
    if (DecodeCatalog(reinterpret_cast<const unsigned char*>(image.data()), image.size(), 0, lists) !=
        CatalogError::kNone) {
        err << source << ": error: the packed catalogue does not read back; nothing written\n";
        return kVelcatFailed;
    }
    if (!WriteFileBytes(target, image)) {
        err << target << ": error: cannot write the file\n";
        return kVelcatFailed;
    }
    out << target << ": packed " << Summary(report.lists) << " (" << image.size() << " bytes)\n";
    return errors > 0 ? kVelcatFailed : kVelcatOk;
}

int Unpack(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    std::vector<std::string> options, operands;
    std::string unknown;
    if (!SplitArguments(arguments, {"--raw"}, options, operands, unknown))
        return Usage(err, "unpack: unknown option " + unknown);
    if (operands.size() != 2) return Usage(err, "unpack needs a catalogue file and a JSON file to write (or -)");
    const std::string& source = operands[0];
    const std::string& target = operands[1];

    std::string image;
    if (!ReadFileBytes(source, image)) {
        err << source << ": error: cannot read the file\n";
        return kVelcatFailed;
    }
    std::string text;
    const CatalogError error =
        UnpackCatalogFile(reinterpret_cast<const unsigned char*>(image.data()), image.size(), text);
    if (error != CatalogError::kNone && error != CatalogError::kEmptyText) {
        err << source << ": error: " << DescribeCatalogError(error) << "\n";
        return kVelcatFailed;
    }
    // The whole body, also what lies after a NUL byte: unpack shows what is stored, check says what is read.
    text.assign(image, kCatalogHeaderSize, std::string::npos);
    ScrambleCatalogBody(reinterpret_cast<unsigned char*>(&text[0]), text.size());

    std::string result = text;
    if (!Has(options, "--raw")) {
        if (CheckCatalogBody(text).loadable) {
            result = IndentJson(text);
        } else {
            err << source
                << ": warning: the text is not a catalogue the program can load; written unchanged "
                   "(velcat check tells why)\n";
        }
    }
    if (target == "-") {
        out << result;
        return kVelcatOk;
    }
    if (!WriteFileBytes(target, result)) {
        err << target << ": error: cannot write the file\n";
        return kVelcatFailed;
    }
    return kVelcatOk;
}

int Check(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    std::vector<std::string> options, operands;
    std::string unknown;
    if (!SplitArguments(arguments, {}, options, operands, unknown))
        return Usage(err, "check: unknown option " + unknown);
    if (operands.empty()) return Usage(err, "check needs at least one file");
    int status = kVelcatOk;
    for (const std::string& file : operands) {
        std::string bytes;
        if (!ReadFileBytes(file, bytes)) {
            err << file << ": error: cannot read the file\n";
            status = kVelcatFailed;
            continue;
        }
        const CheckReport report = CheckCatalogInput(bytes);
        PrintFindings(file, report, err);
        const int errors = report.Count(Severity::kError);
        const int warnings = report.Count(Severity::kWarning);
        if (errors > 0) status = kVelcatFailed;
        out << file << ": ";
        if (errors == 0 && warnings == 0)
            out << "no problems";
        else
            out << Plural(errors, "error", "errors") << ", " << Plural(warnings, "warning", "warnings");
        if (report.loadable) out << " (" << Summary(report.lists) << ")";
        out << "\n";
    }
    return status;
}

}  // namespace

int RunVelcat(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    if (arguments.empty()) return Usage(err, "no command given");
    const std::string& command = arguments[0];
    if (command == "--help" || command == "-h" || command == "help" || command == "/?") {
        out << kHelp;
        return kVelcatOk;
    }
    if (command == "pack") return Pack(arguments, out, err);
    if (command == "unpack") return Unpack(arguments, out, err);
    if (command == "check") return Check(arguments, out, err);
    return Usage(err, "unknown command '" + command + "'");
}
