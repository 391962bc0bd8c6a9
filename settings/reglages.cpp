#include "settings/reglages.h"

std::unique_ptr<QSettings> ouvreReglages() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Telmira"), QStringLiteral("Telmira"));
}
