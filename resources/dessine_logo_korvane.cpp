// Draws the maker's logo of the About box (384 x 57, blue on white) into the JPEG given as argument.
// Built on demand: cmake --build <build> --target zantrel_dessine_logo, then
//   QT_QPA_PLATFORM=offscreen <build>/about/zantrel_dessine_logo resources/logo_korvane.jpg
#include <cstdio>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s logo.jpg\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    const QColor bleu(0x12, 0x3c, 0x8c);
    const QColor ciel(0x3a, 0x8f, 0xd8);
    QImage logo(384, 57, QImage::Format_RGB32);
    logo.fill(Qt::white);
    QPainter peintre(&logo);
    peintre.setRenderHint(QPainter::Antialiasing);

    // The mark: a rhombus cut by a chevron, the maker's "K" in the abstract.
    QPainterPath losange;
    losange.moveTo(30, 4);
    losange.lineTo(55, 28.5);
    losange.lineTo(30, 53);
    losange.lineTo(5, 28.5);
    losange.closeSubpath();
    peintre.fillPath(losange, bleu);
    QPainterPath chevron;
    chevron.moveTo(24, 14);
    chevron.lineTo(38, 28.5);
    chevron.lineTo(24, 43);
    chevron.lineTo(31, 43);
    chevron.lineTo(45, 28.5);
    chevron.lineTo(31, 14);
    chevron.closeSubpath();
    peintre.fillPath(chevron, Qt::white);
    peintre.fillRect(QRectF(19, 14, 5, 29), Qt::white);

    QFont nom(QStringLiteral("DejaVu Sans"));
    nom.setPixelSize(34);
    nom.setBold(true);
    nom.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    peintre.setFont(nom);
    peintre.setPen(bleu);
    peintre.drawText(QRectF(68, 0, 316, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KORVANE"));

    peintre.fillRect(QRectF(70, 41, 300, 2), ciel);
    QFont devise(QStringLiteral("DejaVu Sans"));
    devise.setPixelSize(10);
    devise.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    peintre.setFont(devise);
    peintre.setPen(ciel);
    peintre.drawText(QRectF(70, 44, 300, 13), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("INSTRUMENTS DE MESURE"));
    peintre.end();

    if (!logo.save(QString::fromLocal8Bit(argv[1]), "JPG", 92)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
