#include "exchange/canalcommande.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace canal {

QString CheminCanal(const QString& service, const QString& topic, const QString& dossier) {
    QString d = dossier.isEmpty()
                    ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)
                    : dossier;
    if (d.isEmpty()) d = QDir::tempPath();
    return QDir(d).filePath(service + QLatin1Char('.') + topic);
}

QString ServiceProgramme() {
    const QString nom = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QString service = nom.section(QLatin1Char('.'), 0, 0);
    return service.isEmpty() ? QStringLiteral("telmira") : service;
}

} // namespace canal

qsizetype TTamponRequetes::place() const {
    return std::max<qsizetype>(0, max_ + 1 - enAttente());
}

void TTamponRequetes::ajoute(const QByteArray& octets) {
    // What was taken is dropped before the buffer grows, so it stays within one request.
    if (debut_ > 0) {
        octets_.remove(0, debut_);
        debut_ = 0;
    }
    octets_ += octets;
}

std::optional<QByteArray> TTamponRequetes::suivante() {
    const qsizetype nul = octets_.indexOf('\0', debut_ + vu_);
    if (nul < 0) {
        vu_ = enAttente();
        return std::nullopt;
    }
    QByteArray requete = octets_.mid(debut_, nul - debut_);
    debut_ = nul + 1;
    vu_ = 0;
    if (debut_ == octets_.size()) {
        octets_.clear();
        debut_ = 0;
    }
    return requete;
}
