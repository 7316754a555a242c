// The sequencer's questions as the toolkit's message boxes.
#include <QGuiApplication>
#include <QMessageBox>

#include "wizard/TFormMj.h"

// The details button's caption is the toolkit's, in the language of its installed translation.
bool PoserQuestionBoite(QWidget* fenetre, GenreQuestion genre, BoutonsQuestion boutons, const QString& texte,
                        const QString& details) {
    const QMessageBox::Icon icone = genre == GenreQuestion::Erreur ? QMessageBox::Critical : QMessageBox::Information;
    const bool ouiNon = boutons == BoutonsQuestion::OuiNon;
    QMessageBox boite(icone, QGuiApplication::applicationDisplayName(), texte,
                      ouiNon ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, fenetre);
    if (!details.isEmpty()) boite.setDetailedText(details);
    const int reponse = boite.exec();
    return ouiNon ? reponse == QMessageBox::Yes : true;
}
