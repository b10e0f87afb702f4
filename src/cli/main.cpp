// tarvel-cli: the command-line companion of Tarvel. It runs the same operations as the
// windows, on files, for scripts and tests: each command is what a user would do in a
// freshly opened window, with every question answered Yes.
#include <csignal>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>

#include "cli/clidialogs.h"
#include "cli/commands.h"
#include "common/userdialogs.h"
#include "common/leftovers.h"
#include "common/paths.h"

namespace tarvel::cli {

namespace {
const char* const kUsage =
    "Utilisation : tarvel-cli COMMANDE [OPTIONS]\n"
    "\n"
    "Compagnon en ligne de commande de Tarvel, logiciel de découpe assistée par ordinateur.\n"
    "\n"
    "Commandes :\n"
    "  object (--fra | --dxf | --dat) FICHIER [--convert [--tolerance MM]]\n"
    "         [--entry LIGNE=NUMÉRO]... [--allow-open] [--reorder] [--save NOM] [--quiet]\n"
    "        charge un objet (fichier FRA, dessin DXF ou profil DAT), donne à la LIGNE (comptée\n"
    "        depuis 0) le point d'entrée de NUMÉRO d'ordre, réorganise les coupes, affiche\n"
    "        l'objet (X, Y, Z, repère, n° de coupe, entrée), puis le sauve\n"
    "        --convert : importe aussi les arcs, polylignes légères et arrondies, splines,\n"
    "        ellipses et blocs (INSERT) du dessin DXF en segments droits, à au plus MM\n"
    "        millimètres de la courbe (0,01 par défaut ; 0,01 ou 0.01)\n"
    "        --allow-open : accepte un point d'entrée ailleurs qu'au début ou à la fin d'une\n"
    "        coupe ouverte, qui ajoute un segment qui n'est pas dans le dessin\n"
    "  generate --object FICHIER --job NOM [--config CFG] [--scale T] [--descent T]\n"
    "           [--description T] [--cutting-feed T] [--rapid-feed T]\n"
    "           [--steps-x T] [--steps-y T] [--steps-z T] [--no-drift]\n"
    "        crée le fichier de découpe NOM.def et son fichier de détails NOM.det ;\n"
    "        --no-drift : arrondi sans dérive, chaque point au pas le plus proche de sa\n"
    "        position (les contours fermés se referment, retour exact à l'origine)\n"
    "  pack FICHIER\n"
    "        compresse un fichier de découpe (.def) en fichier .FRD\n"
    "  play FICHIER [--config CFG] [--realtime] [--trace SORTIE]\n"
    "        découpe le fichier sur la machine simulée et donne la position finale en pas\n"
    "        et le temps restant estimé au départ\n"
    "\n"
    "Options générales :\n"
    "  --help       affiche cette aide (aussi après une commande)\n"
    "  --version    affiche la version\n"
    "\n"
    "Code de sortie : 0 réussi, 1 échec (message sur la sortie d'erreur), 2 commande mal formée.\n";
}  // namespace

int printUsage() {
    std::fputs(kUsage, stdout);
    return kDone;
}

std::string oneLine(const std::string& text) {
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            if (i + 1 < text.size()) line += ' ';
        } else {
            line += c;
        }
    }
    return line;
}

int usageError(const std::string& what) {
    std::fprintf(stderr, "tarvel-cli : %s\nVoir « tarvel-cli --help ».\n", what.c_str());
    return kUsageError;
}

void printLine(std::FILE* to, const std::string& text) {
    const std::string line = oneLine(text) + "\n";
    std::fwrite(line.data(), 1, line.size(), to);
}

int fail(const std::string& message) {
    printLine(stderr, message);
    return kFailed;
}

bool Options::has(std::string_view flag) const {
    for (const auto& f : flags)
        if (f == flag) return true;
    return false;
}

const std::string* Options::last(std::string_view name) const {
    const std::string* found = nullptr;
    for (const auto& [n, v] : values)
        if (n == name) found = &v;
    return found;
}

std::vector<std::string> Options::all(std::string_view name) const {
    std::vector<std::string> out;
    for (const auto& [n, v] : values)
        if (n == name) out.push_back(v);
    return out;
}

bool parseOptions(const Args& args, const std::vector<std::string>& valued,
                  const std::vector<std::string>& flags, Options& out, int& status) {
    auto known = [](const std::vector<std::string>& names, std::string_view a) {
        for (const auto& n : names)
            if (n == a) return true;
        return false;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view a = args[i];
        if (a == "--help" || a == "-h") {
            status = printUsage();
            return false;
        }
        if (known(valued, a)) {
            if (i + 1 >= args.size()) {
                status = usageError("valeur manquante après " + std::string(a));
                return false;
            }
            out.values.emplace_back(std::string(a), std::string(args[++i]));
        } else if (known(flags, a)) {
            out.flags.emplace_back(a);
        } else if (a.size() > 1 && a.substr(0, 2) == "--") {
            status = usageError("option inconnue : " + std::string(a));
            return false;
        } else {
            out.positional.emplace_back(a);
        }
    }
    return true;
}

}  // namespace tarvel::cli

namespace {

int runCommand(const tarvel::cli::Args& args) {
    using namespace tarvel::cli;
    tarvel::removeLeftoversAtStart(tarvel::Paths::forThisProgram());
    if (args.empty()) return usageError("commande manquante");
    std::string_view command = args[0];
    Args rest(args.begin() + 1, args.end());
    if (command == "--help" || command == "-h") return printUsage();
    if (command == "--version") {
        std::printf("tarvel-cli %s\n", TARVEL_VERSION);
        return kDone;
    }
    if (command == "object") return runObject(rest);
    if (command == "generate") return runGenerate(rest);
    if (command == "pack") return runPack(rest);
    if (command == "play") return runPlay(rest);
    return usageError("commande inconnue : " + std::string(command));
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tarvel::cli;
    // A reader that closed the pipe (| head) must not kill a command before its save:
    // the writes to standard output fail quietly instead.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        return runCommand(Args(argv + 1, argv + argc));
    } catch (const std::bad_alloc&) {
        return fail(tarvel::commandInterrupted(true).text);
    } catch (const std::exception&) {
        return fail(tarvel::commandInterrupted(false).text);
    }
}
