// Runs a fuzz target over the files of a seed corpus, so that ordinary builds (and the
// sanitizer build) exercise the same code as the fuzzer.
#include <QDir>
#include <QFile>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* donnees, size_t taille);

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s dossier_ou_fichier...\n", argv[0]);
        return 2;
    }
    int nombre = 0;
    for (int i = 1; i < argc; ++i) {
        const QString chemin = QString::fromLocal8Bit(argv[i]);
        QStringList fichiers;
        if (QFileInfo(chemin).isDir()) {
            for (const QString& nom : QDir(chemin).entryList(QDir::Files, QDir::Name))
                fichiers << QDir(chemin).filePath(nom);
        } else {
            fichiers << chemin;
        }
        for (const QString& fichier : fichiers) {
            QFile f(fichier);
            if (!f.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "illisible : %s\n", qPrintable(fichier));
                return 1;
            }
            const QByteArray octets = f.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(octets.constData()),
                                   static_cast<size_t>(octets.size()));
            ++nombre;
        }
    }
    std::printf("%d entrées rejouées\n", nombre);
    return nombre > 0 ? 0 : 1;
}
