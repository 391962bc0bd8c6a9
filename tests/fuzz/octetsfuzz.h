#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>

// Reads a fuzz input from the front: fixed-size values first, then byte strings cut at a
// separator. Whatever is missing reads as zeros or empty.
class OctetsFuzz {
public:
    OctetsFuzz(const uint8_t* donnees, size_t taille) : d_(donnees), n_(taille) {}

    uint8_t octet() { return i_ < n_ ? d_[i_++] : 0; }
    int8_t signe() { return static_cast<int8_t>(octet()); }
    int32_t entier32() {
        uint32_t v = 0;
        for (int k = 0; k < 4; ++k)
            v = (v << 8) | octet();
        return static_cast<int32_t>(v);
    }
    // The bytes up to the next 0xFF (not included), or to the end.
    QByteArray texte() {
        const size_t debut = i_;
        while (i_ < n_ && d_[i_] != 0xFF)
            ++i_;
        QByteArray t(reinterpret_cast<const char*>(d_ + debut), static_cast<qsizetype>(i_ - debut));
        if (i_ < n_) ++i_;
        return t;
    }

private:
    const uint8_t* d_;
    size_t n_;
    size_t i_ = 0;
};
