#include "display/cinetiquemain.h"

#include "app/utilitaires.h"
#include "app/ecran.h"
#include "display/oscillo.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>

namespace {
// Help topics shipped with the program, beside it or in its share folder.
QString cheminAide() {
    const QString dossier = QCoreApplication::applicationDirPath();
    for (const QString& c : {dossier + QStringLiteral("/aide/index.html"),
                             dossier + QStringLiteral("/../share/telmira/aide/index.html")})
        if (QFileInfo::exists(c)) return QDir::cleanPath(c);
    return {};
}
} // namespace

TCinetiqueMain::TCinetiqueMain(QWidget* parent) : QMainWindow(parent) {
    // Before any control asks for a font by name.
    InstallePolices();
    // The port table comes first: it advances the rotating trace index.
    voiesSerie = std::make_unique<TVoiesSerie>(
        [this](TApdComPort* CP, quint16 Count) { TriggerAvail(CP, Count); }, this);
    CreeControles();
    // The "Aide" button shows only when the help topics are there.
    const bool avecAide = !cheminAide().isEmpty();
    for (QAction* a : ToolBar2->actions())
        if (ToolBar2->widgetForAction(a) == AideBtn) a->setVisible(avecAide);
    DeltaLabel->setText(QStringLiteral("δt(s)"));
    CreeEtatAcquisition();
    DispositionVoies();
    ConnecteCommandes();
    ConnecteConfig();
    ConnecteDonnees();
    indexFichierTrace = voiesSerie->indexFichierTrace;
    LitReglages();
    AdapteEcran(this);
    MajBaseDeTemps();
}

TCinetiqueMain::~TCinetiqueMain() {
    // Hiding the children while the window dies moves the focus and fires their
    // signals (editingFinished...): none may reach a half-destroyed window.
    for (QObject* enfant : findChildren<QObject*>())
        enfant->disconnect(this);
}

bool TCinetiqueMain::event(QEvent* e) {
    if (e->type() == QEvent::StatusTip) ShowHint(static_cast<QStatusTipEvent*>(e)->tip());
    return QMainWindow::event(e);
}

void TCinetiqueMain::ArgumentRecu(const QString& argument) {
    // As a second start always did: the argument waits on the clipboard; the running copy
    // also keeps it for the set-up loader.
    if (QClipboard* presse = QGuiApplication::clipboard()) presse->setText(argument);
    argumentTransmis = argument;
    Q_EMIT argumentTransmisChange(argument);
    ChargeArgument(argument);
}
