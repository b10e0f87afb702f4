// tarvel-cli: the command-line companion of Tarvel. It runs the same operations as the
// windows, on files, for scripts and tests. Exit status: 0 done, 1 the operation failed
// (its French message on standard error), 2 the command line was not understood.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kUsageError = 2;

const char* const kUsage =
    "Utilisation : tarvel-cli COMMANDE [OPTIONS]\n"
    "\n"
    "Compagnon en ligne de commande de Tarvel, logiciel de découpe assistée par ordinateur.\n"
    "\n"
    "Options :\n"
    "  --help       affiche cette aide\n"
    "  --version    affiche la version\n";

int usageError(const std::string& what) {
    std::fprintf(stderr, "tarvel-cli : %s\n%s", what.c_str(), kUsage);
    return kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.empty()) return usageError("commande manquante");
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args[0] == "--version") {
        std::printf("tarvel-cli %s\n", TARVEL_VERSION);
        return 0;
    }
    return usageError("commande inconnue : " + std::string(args[0]));
}
