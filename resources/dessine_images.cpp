// Draws the program's pictures into the folder given as argument:
//   logo_korvane.jpg           384 x 57  the maker's logo of the About box, blue on white
//   bandeau.jpg                330 x 53  the maker's name, blue on white
//   connexion_appareil_pc.jpg  362 x 193 the device, its red cable and the PC (which starts right of
//                                        column 226, so that the narrow frame shows no PC)
//   icone_fenetre.jpg          32 x 32   a red and orange burst on a dark background
//   bandeau@2x.jpg, connexion_appareil_pc@2x.jpg  the same at twice the size, for screens scaled
//                                        above 1
//   icone_fenetre_<size>.jpg   the burst at the other sizes of the desktop's icons
//   zantrel.ico                the same burst at 16, 32, 48 and 256 px, the Windows program's icon
// To redraw them: cmake --build <build> --target zantrel_dessine_images, then
//   QT_QPA_PLATFORM=offscreen <build>/wizard/zantrel_dessine_images resources
//
// With --icones folder name size..., it draws the same burst as the desktop's icons instead, in the
// layout of an icon theme: folder/<size>x<size>/apps/name.png for each size, and
// folder/scalable/apps/name.svg. The Linux build does this for the installed icons.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>
#include <QStringList>

namespace {

const QColor BLEU(0x12, 0x3c, 0x8c);
const QColor CIEL(0x3a, 0x8f, 0xd8);
// The window's button face, so that the picture melts into the page.
const QColor FOND(0xef, 0xef, 0xef);

// The maker's mark: a rhombus cut by a chevron, the "K" in the abstract, with a white bar.
struct Marque {
    QRectF losange;  // the rhombus's bounding box
    double gauche;   // the chevron's inner left edge
    double haut;     // its top and bottom
    double bas;
    double portee;  // how far its point reaches right of gauche
    double epaisseur;
    QRectF barre;  // the white upright left of the chevron
};

void DessinerMarque(QPainter& peintre, const Marque& m) {
    const double milieu = m.losange.center().y();
    QPainterPath losange;
    losange.moveTo(m.losange.center().x(), m.losange.top());
    losange.lineTo(m.losange.right(), milieu);
    losange.lineTo(m.losange.center().x(), m.losange.bottom());
    losange.lineTo(m.losange.left(), milieu);
    losange.closeSubpath();
    peintre.fillPath(losange, BLEU);
    QPainterPath chevron;
    chevron.moveTo(m.gauche, m.haut);
    chevron.lineTo(m.gauche + m.portee, milieu);
    chevron.lineTo(m.gauche, m.bas);
    chevron.lineTo(m.gauche + m.epaisseur, m.bas);
    chevron.lineTo(m.gauche + m.portee + m.epaisseur, milieu);
    chevron.lineTo(m.gauche + m.epaisseur, m.haut);
    chevron.closeSubpath();
    peintre.fillPath(chevron, Qt::white);
    peintre.fillRect(m.barre, Qt::white);
}

// The pictures' one typeface; espacement: pixels added between letters.
QFont Police(int pixels, bool gras, double espacement = 0) {
    QFont police(QStringLiteral("DejaVu Sans"));
    police.setPixelSize(pixels);
    police.setBold(gras);
    police.setLetterSpacing(QFont::AbsoluteSpacing, espacement);
    return police;
}

// The maker's name in bold blue capitals or small letters, with the sky-blue rule under it.
void DessinerNom(QPainter& peintre, const QString& nom, const QRectF& cadre, double espacement, const QRectF& trait) {
    peintre.setFont(Police(34, true, espacement));
    peintre.setPen(BLEU);
    peintre.drawText(cadre, Qt::AlignLeft | Qt::AlignVCenter, nom);
    peintre.fillRect(trait, CIEL);
}

QImage Logo() {
    QImage image(384, 57, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter peintre(&image);
    peintre.setRenderHint(QPainter::Antialiasing);
    DessinerMarque(peintre, {QRectF(5, 4, 50, 49), 24, 14, 43, 14, 7, QRectF(19, 14, 5, 29)});
    DessinerNom(peintre, QStringLiteral("KORVANE"), QRectF(68, 0, 316, 40), 4, QRectF(70, 41, 300, 2));
    peintre.setFont(Police(10, false, 2));
    peintre.setPen(CIEL);
    peintre.drawText(QRectF(70, 44, 300, 13), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("INSTRUMENTS DE MESURE"));
    return image;
}

// echelle: 2 for the drawing of screens scaled above 1.
QImage Bandeau(int echelle) {
    QImage image(330 * echelle, 53 * echelle, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter peintre(&image);
    peintre.setRenderHint(QPainter::Antialiasing);
    peintre.scale(echelle, echelle);
    // The mark, smaller than on the About box.
    DessinerMarque(peintre, {QRectF(5, 5, 42, 43), 21, 14, 39, 12, 6, QRectF(16, 14, 4, 25)});
    DessinerNom(peintre, QStringLiteral("Korvane"), QRectF(60, 0, 270, 42), 3, QRectF(62, 43, 258, 2));
    return image;
}

QImage ConnexionAppareilPc(int echelle) {
    QImage image(362 * echelle, 193 * echelle, QImage::Format_RGB32);
    image.fill(FOND);
    QPainter peintre(&image);
    peintre.setRenderHint(QPainter::Antialiasing);
    peintre.scale(echelle, echelle);

    // The device: a hand-held case with its display and three keys.
    peintre.setPen(QPen(QColor(0x30, 0x30, 0x30), 2));
    peintre.setBrush(QColor(0x4a, 0x5a, 0x6e));
    peintre.drawRoundedRect(QRectF(14, 30, 86, 140), 10, 10);
    peintre.setBrush(QColor(0xb8, 0xd8, 0xb0));
    peintre.drawRect(QRectF(24, 44, 66, 44));
    peintre.setBrush(QColor(0xe8, 0xe8, 0xe8));
    for (int i = 0; i < 3; ++i)
        peintre.drawEllipse(QRectF(26 + i * 22, 104, 14, 14));
    peintre.setBrush(QColor(0xd0, 0x30, 0x20));
    peintre.drawEllipse(QRectF(48, 134, 18, 18));
    peintre.setFont(Police(10, true));
    peintre.setPen(Qt::white);
    peintre.drawText(QRectF(14, 154, 86, 14), Qt::AlignCenter, QStringLiteral("P07"));

    // The cable: from the device's side to the PC's USB socket, crossing the cut at column 226.
    peintre.setPen(QPen(QColor(0xd0, 0x10, 0x10), 4, Qt::SolidLine, Qt::RoundCap));
    peintre.setBrush(Qt::NoBrush);
    QPainterPath cable;
    cable.moveTo(100, 120);
    cable.cubicTo(150, 120, 160, 178, 205, 170);
    cable.cubicTo(240, 164, 238, 150, 252, 150);
    peintre.drawPath(cable);
    peintre.setPen(Qt::NoPen);
    peintre.setBrush(QColor(0x40, 0x40, 0x40));
    peintre.drawRect(QRectF(96, 114, 8, 12));

    // The portable computer, marked PC, entirely right of column 226.
    peintre.setPen(QPen(QColor(0x20, 0x20, 0x20), 2));
    peintre.setBrush(QColor(0x50, 0x50, 0x58));
    peintre.drawRoundedRect(QRectF(262, 46, 88, 66), 4, 4);
    peintre.setBrush(QColor(0x3a, 0x8f, 0xd8));
    peintre.drawRect(QRectF(268, 52, 76, 54));
    QPolygonF clavier;
    clavier << QPointF(258, 114) << QPointF(354, 114) << QPointF(360, 150) << QPointF(252, 150);
    peintre.setBrush(QColor(0x70, 0x70, 0x78));
    peintre.drawPolygon(clavier);
    peintre.setPen(QPen(QColor(0x9a, 0x9a, 0xa2), 1));
    for (int rang = 0; rang < 3; ++rang)
        peintre.drawLine(QPointF(264 - rang * 2, 122 + rang * 8), QPointF(348 + rang * 2, 122 + rang * 8));
    peintre.setFont(Police(26, true));
    peintre.setPen(Qt::white);
    peintre.drawText(QRectF(268, 52, 76, 54), Qt::AlignCenter, QStringLiteral("PC"));
    return image;
}

// The burst of the window icon, in its 32-pixel square: every icon is drawn from this one description.
constexpr int COTE_ECLAT = 32;
constexpr double CENTRE_ECLAT = COTE_ECLAT / 2.0;
const QColor NUIT(0x18, 0x14, 0x20);

struct Etoile {
    double rayonExterieur;
    double rayonInterieur;
    double decalage;  // its turn, in steps from a tip to the next notch
    QColor couleur;
};

// Two stars, the red one behind the orange one, turned half a point, and a yellow heart.
const Etoile ETOILES[] = {{15.5, 6.5, 0.5, QColor(0xd8, 0x18, 0x10)}, {11, 4.5, 0, QColor(0xff, 0x8c, 0x10)}};
constexpr double RAYON_COEUR = 3.5;
const QColor COEUR(0xff, 0xe0, 0x60);

QPolygonF Pointes(const Etoile& etoile) {
    QPolygonF points;
    const int branches = 10;
    for (int i = 0; i < 2 * branches; ++i) {
        const double angle = (i + etoile.decalage) * M_PI / branches;
        const double r = (i % 2 == 0) ? etoile.rayonExterieur : etoile.rayonInterieur;
        points << QPointF(CENTRE_ECLAT + r * std::cos(angle), CENTRE_ECLAT + r * std::sin(angle));
    }
    return points;
}

QImage Eclat(int cote) {
    QImage image(cote, cote, QImage::Format_RGB32);
    image.fill(NUIT);
    QPainter peintre(&image);
    peintre.setRenderHint(QPainter::Antialiasing);
    peintre.scale(double(cote) / COTE_ECLAT, double(cote) / COTE_ECLAT);
    peintre.setPen(Qt::NoPen);
    for (const Etoile& etoile : ETOILES) {
        peintre.setBrush(etoile.couleur);
        peintre.drawPolygon(Pointes(etoile));
    }
    peintre.setBrush(COEUR);
    peintre.drawEllipse(QPointF(CENTRE_ECLAT, CENTRE_ECLAT), RAYON_COEUR, RAYON_COEUR);
    return image;
}

QString Nombre(double valeur) { return QString::number(valeur, 'g', 6); }

// The same shapes, in the same square, as SVG.
QString EclatSvg() {
    const QString cote = QString::number(COTE_ECLAT);
    QString svg = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" "
                                 "width=\"%1\" height=\"%1\" viewBox=\"0 0 %1 %1\">\n"
                                 "  <rect width=\"%1\" height=\"%1\" fill=\"%2\"/>\n")
                      .arg(cote, NUIT.name());
    for (const Etoile& etoile : ETOILES) {
        QStringList points;
        for (const QPointF& point : Pointes(etoile))
            points << Nombre(point.x()) + QLatin1Char(',') + Nombre(point.y());
        svg += QStringLiteral("  <polygon points=\"%1\" fill=\"%2\"/>\n")
                   .arg(points.join(QLatin1Char(' ')), etoile.couleur.name());
    }
    svg += QStringLiteral("  <circle cx=\"%1\" cy=\"%1\" r=\"%2\" fill=\"%3\"/>\n</svg>\n")
               .arg(Nombre(CENTRE_ECLAT), Nombre(RAYON_COEUR), COEUR.name());
    return svg;
}

bool Ecrit(bool ok, const QString& chemin) {
    if (!ok) std::fprintf(stderr, "cannot write %s\n", qPrintable(chemin));
    return ok;
}

bool Enregistrer(const QImage& image, const QString& dossier, const char* nom, int qualite = 95) {
    const QString chemin = dossier + QLatin1Char('/') + QString::fromLatin1(nom);
    return Ecrit(image.save(chemin, "JPG", qualite), chemin);
}

void Ajouter16(QByteArray& octets, unsigned valeur) {
    octets.append(char(valeur & 0xFF));
    octets.append(char((valeur >> 8) & 0xFF));
}

void Ajouter32(QByteArray& octets, unsigned valeur) {
    Ajouter16(octets, valeur & 0xFFFF);
    Ajouter16(octets, valeur >> 16);
}

// A Windows icon file holding the burst at each size as a PNG image with alpha: the directory,
// one entry per size (0 stands for 256), then the images.
bool EnregistrerIco(const QString& dossier, const char* nom, std::initializer_list<unsigned> cotes) {
    const QString chemin = dossier + QLatin1Char('/') + QString::fromLatin1(nom);
    QByteArray repertoire;
    QByteArray images;
    Ajouter16(repertoire, 0);
    Ajouter16(repertoire, 1);
    Ajouter16(repertoire, unsigned(cotes.size()));
    for (const unsigned cote : cotes) {
        QByteArray png;
        QBuffer tampon(&png);
        if (!Ecrit(tampon.open(QIODevice::WriteOnly) &&
                       Eclat(int(cote)).convertToFormat(QImage::Format_ARGB32).save(&tampon, "PNG"),
                   chemin))
            return false;
        repertoire.append(char(cote % 256));
        repertoire.append(char(cote % 256));
        Ajouter16(repertoire, 0);   // no palette, reserved
        Ajouter16(repertoire, 1);   // planes
        Ajouter16(repertoire, 32);  // bits per pixel
        Ajouter32(repertoire, unsigned(png.size()));
        Ajouter32(repertoire, 6 + 16 * unsigned(cotes.size()) + unsigned(images.size()));
        images += png;
    }
    QFile fichier(chemin);
    const QByteArray octets = repertoire + images;
    return Ecrit(fichier.open(QIODevice::WriteOnly) && fichier.write(octets) == octets.size() && fichier.flush(),
                 chemin);
}

// The burst at each size, then as SVG, in an icon theme's layout under dossier.
bool EnregistrerIcones(const QString& dossier, const QString& nom, const QStringList& cotes) {
    for (const QString& texte : cotes) {
        bool nombre = false;
        const int cote = texte.toInt(&nombre);
        if (!nombre || cote <= 0) {
            std::fprintf(stderr, "not a size: %s\n", qPrintable(texte));
            return false;
        }
        const QString sousDossier = QStringLiteral("%1/%2x%2/apps").arg(dossier).arg(cote);
        const QString chemin = sousDossier + QLatin1Char('/') + nom + QStringLiteral(".png");
        if (!Ecrit(QDir().mkpath(sousDossier) && Eclat(cote).save(chemin, "PNG"), chemin)) return false;
    }
    const QString sousDossier = dossier + QStringLiteral("/scalable/apps");
    QFile svg(sousDossier + QLatin1Char('/') + nom + QStringLiteral(".svg"));
    const QByteArray texte = EclatSvg().toUtf8();
    return Ecrit(QDir().mkpath(sousDossier) && svg.open(QIODevice::WriteOnly) && svg.write(texte) == texte.size() &&
                     svg.flush(),
                 svg.fileName());
}

}  // namespace

int main(int argc, char** argv) {
    const bool icones = argc >= 4 && std::strcmp(argv[1], "--icones") == 0;
    if (argc != 2 && !icones) {
        std::fprintf(stderr, "usage: %s folder\n       %s --icones folder name size...\n", argv[0], argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (icones) {
        QStringList cotes;
        for (int i = 4; i < argc; ++i)
            cotes << QString::fromLocal8Bit(argv[i]);
        return EnregistrerIcones(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), cotes) ? 0 : 1;
    }
    const QString dossier = QString::fromLocal8Bit(argv[1]);
    bool ok = Enregistrer(Logo(), dossier, "logo_korvane.jpg", 92) && Enregistrer(Bandeau(1), dossier, "bandeau.jpg") &&
              Enregistrer(Bandeau(2), dossier, "bandeau@2x.jpg") &&
              Enregistrer(ConnexionAppareilPc(1), dossier, "connexion_appareil_pc.jpg") &&
              Enregistrer(ConnexionAppareilPc(2), dossier, "connexion_appareil_pc@2x.jpg") &&
              Enregistrer(Eclat(COTE_ECLAT), dossier, "icone_fenetre.jpg") &&
              EnregistrerIco(dossier, "zantrel.ico", {16, 32, 48, 256});
    // The window icon at the desktop icons' other sizes.
    for (const int cote : {16, 48, 64, 128, 256})
        ok = ok &&
             Enregistrer(Eclat(cote), dossier, QStringLiteral("icone_fenetre_%1.jpg").arg(cote).toLatin1().constData());
    return ok ? 0 : 1;
}
