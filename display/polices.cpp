#include "display/polices.h"

#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QStringList>
#include <mutex>

namespace {
// The family each Windows name is drawn with here, once the substitutes are chosen.
QHash<QString, QString>& famillesInstallees() {
    static QHash<QString, QString> familles;
    return familles;
}
} // namespace

void InstallePolices() {
    static std::once_flag fait;
    std::call_once(fait, [] {
        struct Substitution {
            QString demande;
            QStringList substituts;
        };
        const Substitution table[] = {
            {QStringLiteral("Arial"),
             {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
              QStringLiteral("DejaVu Sans")}},
            {QStringLiteral("Courier New"),
             {QStringLiteral("Liberation Mono"), QStringLiteral("Cousine"),
              QStringLiteral("DejaVu Sans Mono")}},
            {QStringLiteral("Calibri"),
             {QStringLiteral("Carlito"), QStringLiteral("Liberation Sans"),
              QStringLiteral("DejaVu Sans")}},
            {QStringLiteral("Times New Roman"),
             {QStringLiteral("Liberation Serif"), QStringLiteral("Tinos"),
              QStringLiteral("DejaVu Serif")}},
            // The analysis program's own font, seldom installed beside this one.
            {QStringLiteral("Kalvento"),
             {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
              QStringLiteral("DejaVu Sans")}},
        };
        const QStringList familles = QFontDatabase::families();
        const auto installee = [&familles](const QString& f) {
            return familles.contains(f, Qt::CaseInsensitive);
        };
        for (const Substitution& s : table) {
            if (installee(s.demande)) continue;
            QFont::insertSubstitutions(s.demande, s.substituts);
            // Asking for the substitute by its own name spares the font system a search for the
            // missing family (a good part of the first drawing of the plot).
            for (const QString& substitut : s.substituts)
                if (installee(substitut)) {
                    famillesInstallees().insert(s.demande, substitut);
                    break;
                }
        }
    });
}

QString FamilleInstallee(const QString& famille) {
    return famillesInstallees().value(famille, famille);
}
