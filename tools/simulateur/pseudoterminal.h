#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

class QSocketNotifier;

// One pseudo-terminal whose slave side is the instrument's serial device. The simulator talks
// on the master side and also keeps the slave open itself, so that the program may open and
// close the port as often as it likes without the master seeing a hang-up.
class PseudoTerminal : public QObject {
    Q_OBJECT
public:
    explicit PseudoTerminal(QObject* parent = nullptr);
    ~PseudoTerminal() override;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Opens the pair in raw mode; false with a French message on failure.
    bool ouvre(QString& erreur);
    // The device path the program opens (/dev/pts/N).
    [[nodiscard]] const QString& chemin() const { return chemin_; }
    // A symbolic link to the device, removed when the terminal is destroyed. An existing link
    // is replaced; any other file is left alone and refused.
    bool creeLien(const QString& lien, QString& erreur);
    [[nodiscard]] const QString& lien() const { return lien_; }

    // Queues the bytes for the program; never blocks.
    void ecrit(const QByteArray& octets);
    // Bytes written that the program has not read yet.
    [[nodiscard]] int nonLus() const;
    // Drops them, as a line with nobody listening would have.
    void videNonLus();

Q_SIGNALS:
    void recu(const QByteArray& octets);

private:
    void lit();
    void vide();

    int maitre_ = -1;
    int esclave_ = -1;
    QString chemin_;
    QString lien_;
    std::unique_ptr<QSocketNotifier> lecture_;
    std::unique_ptr<QSocketNotifier> ecriture_;
    QByteArray sortie_;
};
