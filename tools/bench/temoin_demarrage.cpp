// The reference for the start-up benchmark: the simplest Qt window that shows a line of text,
// of the main window's size. What the program takes beyond it is its own work; what this one
// takes is the toolkit's, the display's and the machine's at that moment.
// It always reports its first paint on stderr and quits, as the program does under
// TELMIRA_MESURE_DEMARRAGE=quitte.

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace {
class TPremierePeinture : public QObject {
public:
    bool eventFilter(QObject* objet, QEvent* evenement) override {
        if (evenement->type() == QEvent::Paint) {
            objet->removeEventFilter(this);
            // Once this paint is done and flushed, as the program measures it.
            QTimer::singleShot(0, [] {
                timespec t{};
                clock_gettime(CLOCK_MONOTONIC, &t);
                std::fprintf(stderr, "telmira-premier-affichage %lld\n",
                             static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }
};
} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QLabel fenetre(QStringLiteral("Fenêtre témoin"));
    fenetre.resize(1000, 680);
    TPremierePeinture mesure;
    fenetre.installEventFilter(&mesure);
    fenetre.show();
    return application.exec();
}
