// Compares the pictures of a folder with those of the same names in another, by what they show
// rather than by their bytes: another JPEG or PNG library writes other bytes for the same picture.
// usage: zantrel_compare_images <folder> <other folder>   (the .jpg and .ico files of the first)
//
// A JPEG picture may differ by a few steps of colour, the rounding of another encoder; a Windows
// icon must hold the same images, pixel for pixel.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QVector>

namespace {

constexpr int ECART_JPEG_MAX = 8;  // per colour channel, out of 255

QByteArray Lire(const QString& chemin) {
    QFile fichier(chemin);
    return fichier.open(QIODevice::ReadOnly) ? fichier.readAll() : QByteArray();
}

// The largest difference of one colour channel between two pictures; -1 when their sizes differ
// or one cannot be decoded.
int Ecart(const QImage& a, const QImage& b) {
    if (a.isNull() || b.isNull() || a.size() != b.size()) return -1;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int ecart = 0;
    for (int ligne = 0; ligne < x.height(); ++ligne) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(ligne));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(ligne));
        for (int colonne = 0; colonne < x.width(); ++colonne)
            for (int decalage : {0, 8, 16, 24})
                ecart =
                    std::max(ecart, std::abs(int(p[colonne] >> decalage & 0xFF) - int(q[colonne] >> decalage & 0xFF)));
    }
    return ecart;
}

unsigned Mot16(const QByteArray& o, int p) {
    return unsigned(std::uint8_t(o[p])) | unsigned(std::uint8_t(o[p + 1])) << 8;
}

unsigned Mot32(const QByteArray& o, int p) { return Mot16(o, p) | Mot16(o, p + 2) << 16; }

// A Windows icon file's images, in directory order, and its directory's fields but the images'
// sizes and places; false when the file is no icon file.
bool LireIco(const QByteArray& octets, QVector<QImage>& images, QByteArray& entetes) {
    if (octets.size() < 6 || Mot16(octets, 0) != 0 || Mot16(octets, 2) != 1) return false;
    const int nombre = int(Mot16(octets, 4));
    if (octets.size() < 6 + 16 * nombre) return false;
    for (int i = 0; i < nombre; ++i) {
        const int entree = 6 + 16 * i;
        const unsigned taille = Mot32(octets, entree + 8);
        const unsigned debut = Mot32(octets, entree + 12);
        if (debut > unsigned(octets.size()) || taille > unsigned(octets.size()) - debut) return false;
        entetes += octets.mid(entree, 8);
        images.push_back(QImage::fromData(octets.mid(int(debut), int(taille))));
    }
    return true;
}

bool MemeIco(const QByteArray& a, const QByteArray& b) {
    QVector<QImage> imagesA, imagesB;
    QByteArray entetesA, entetesB;
    if (!LireIco(a, imagesA, entetesA) || !LireIco(b, imagesB, entetesB) || entetesA != entetesB) return false;
    for (int i = 0; i < imagesA.size(); ++i)
        if (Ecart(imagesA[i], imagesB[i]) != 0) return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s folder other-folder\n", argv[0]);
        return 2;
    }
    QCoreApplication application(argc, argv);
    const QDir reference(QString::fromLocal8Bit(argv[1]));
    const QDir autre(QString::fromLocal8Bit(argv[2]));
    const QStringList noms = reference.entryList({QStringLiteral("*.jpg"), QStringLiteral("*.ico")}, QDir::Files);
    if (noms.isEmpty()) {
        std::fprintf(stderr, "%s: no pictures in %s\n", argv[0], argv[1]);
        return 1;
    }
    bool pareilles = true;
    for (const QString& nom : noms) {
        const QByteArray a = Lire(reference.filePath(nom));
        const QByteArray b = Lire(autre.filePath(nom));
        bool pareille = false;
        if (nom.endsWith(QStringLiteral(".ico"))) {
            pareille = MemeIco(a, b);
        } else {
            const int ecart = Ecart(QImage::fromData(a, "JPG"), QImage::fromData(b, "JPG"));
            pareille = ecart >= 0 && ecart <= ECART_JPEG_MAX;
        }
        if (!pareille)
            std::fprintf(stderr, "%s: %s differs from %s\n", argv[0], qPrintable(reference.filePath(nom)),
                         qPrintable(autre.filePath(nom)));
        pareilles = pareilles && pareille;
    }
    return pareilles ? 0 : 1;
}
