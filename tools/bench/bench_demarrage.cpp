// Start-up time of the program: from just before exec to its first painted window (the device
// catalogue parsed before), read off the program's own report on stderr. Each start runs with
// private settings in a temporary folder; the first start is a warm-up and is not counted.
// When the reference window (temoin_demarrage, built beside this bench) is there, its starts
// alternate with the program's: the machine's speed changes from minute to minute, and the
// difference between the two is the program's own part.
// bench_demarrage [programme] [repetitions]   (default: telmira beside this bench's folder, 20)
// The window goes to $DISPLAY when set, else to Qt's offscreen platform.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {
long long maintenantNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// One start: the milliseconds to the first paint, or a negative value on failure.
double lanceUneFois(const std::string& programme) {
    int tube[2];
    if (pipe(tube) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, tube[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, tube[0]);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>(programme.c_str()), nullptr};
    pid_t pid = 0;
    const long long debut = maintenantNs();
    const int erreur = posix_spawn(&pid, programme.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(tube[1]);
    if (erreur != 0) {
        close(tube[0]);
        std::fprintf(stderr, "bench_demarrage : %s : %s\n", programme.c_str(),
                     std::strerror(erreur));
        return -1;
    }
    std::string sortie;
    char tampon[4096];
    for (;;) {
        const ssize_t n = read(tube[0], tampon, sizeof tampon);
        if (n > 0)
            sortie.append(tampon, std::size_t(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    close(tube[0]);
    int etat = 0;
    waitpid(pid, &etat, 0);
    const std::string marque = "telmira-premier-affichage ";
    const std::size_t i = sortie.find(marque);
    if (i == std::string::npos) {
        std::fprintf(stderr, "bench_demarrage : pas d'affichage signalé\n%s", sortie.c_str());
        return -1;
    }
    const long long affiche = std::atoll(sortie.c_str() + i + marque.size());
    return double(affiche - debut) / 1e6;
}

double mediane(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}
} // namespace

int main(int argc, char** argv) {
    const std::string soi = argv[0];
    const std::size_t barre = soi.rfind('/');
    const std::string ici = barre == std::string::npos ? "." : soi.substr(0, barre);
    std::string programme = argc > 1 ? argv[1] : "";
    if (programme.empty()) programme = ici + "/../../telmira";
    const std::string temoin = ici + "/temoin_demarrage";
    const bool avecTemoin = access(temoin.c_str(), X_OK) == 0;
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;

    char modele[] = "/tmp/telmira-demarrage.XXXXXX";
    const char* dossier = mkdtemp(modele);
    if (!dossier) return 1;
    const std::string d = dossier;
    setenv("HOME", d.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (d + "/.config").c_str(), 1);
    setenv("XDG_DATA_HOME", (d + "/.local/share").c_str(), 1);
    setenv("XDG_STATE_HOME", (d + "/.local/state").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", d.c_str(), 1);
    setenv("TELMIRA_MESURE_DEMARRAGE", "quitte", 1);
    if (!getenv("DISPLAY") && !getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);

    const std::string efface = "rm -rf '" + d + "'";
    const auto nettoie = [&efface] { [[maybe_unused]] const int r = std::system(efface.c_str()); };
    std::vector<double> ms, msTemoin, ecarts;
    for (int i = 0; i <= repetitions; ++i) {
        // Each goes first every other time, so that neither always follows the other.
        double t = 0, tt = 0;
        if (avecTemoin && i % 2) tt = lanceUneFois(temoin);
        t = lanceUneFois(programme);
        if (avecTemoin && !(i % 2)) tt = lanceUneFois(temoin);
        if (t < 0 || tt < 0) {
            nettoie();
            return 1;
        }
        if (i == 0) continue;
        ms.push_back(t);
        if (avecTemoin) {
            msTemoin.push_back(tt);
            ecarts.push_back(t - tt);
        }
    }
    nettoie();
    std::printf("Démarrage jusqu'à la première fenêtre peinte (%zu lancements, plateforme %s) :\n"
                "  médiane %.1f ms, min %.1f ms, max %.1f ms (objectif ≤ 50 ms)\n",
                ms.size(), getenv("QT_QPA_PLATFORM") ? getenv("QT_QPA_PLATFORM") : "xcb",
                mediane(ms), *std::min_element(ms.begin(), ms.end()),
                *std::max_element(ms.begin(), ms.end()));
    if (avecTemoin)
        std::printf("  fenêtre témoin (Qt seul, une ligne de texte), lancée en alternance : "
                    "médiane %.1f ms\n"
                    "  part du programme (écart médian au témoin) : %.1f ms\n",
                    mediane(msTemoin), mediane(ecarts));
    return 0;
}
