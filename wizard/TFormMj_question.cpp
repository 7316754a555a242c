// The sequencer's questions as the toolkit's message boxes.
#include <QGuiApplication>
#include <QMessageBox>

#include "wizard/TFormMj.h"

bool PoserQuestionBoite(QWidget* fenetre, GenreQuestion genre, BoutonsQuestion boutons, const QString& texte)
{
    const QMessageBox::Icon icone =
        genre == GenreQuestion::Erreur ? QMessageBox::Critical : QMessageBox::Information;
    const bool ouiNon = boutons == BoutonsQuestion::OuiNon;
    QMessageBox boite(icone, QGuiApplication::applicationDisplayName(), texte,
                      ouiNon ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, fenetre);
    const int reponse = boite.exec();
    return ouiNon ? reponse == QMessageBox::Yes : true;
}
