// TFormAPropos: the About box with the maker's logo and contact details.
#pragma once

#include <memory>
#include <string>

#include <QDialog>

#include "about/ouvreur_url.h"

namespace Ui {
class TFormAPropos;
}

// The URL-browsing action of the box: one URL, opened by the desktop when executed.
struct TBrowseURL {
    std::string URL;
    OuvreurUrl Ouvreur;

    bool Execute() const { return Ouvreur && Ouvreur(URL); }
};

class TFormAPropos : public QDialog {
    Q_OBJECT

public:
    explicit TFormAPropos(QWidget* owner, OuvreurUrl ouvreur = OuvrirUrlBureau);
    ~TFormAPropos() override;

    void SetLanguage(int langue);
    int GetLanguage() const { return Language; }
    void FillTexts();

    void ButtonOkClick();
    void LabelNomSiteClick();
    void LabelMelClick();

protected:
    bool eventFilter(QObject* objet, QEvent* evenement) override;

private:
    std::unique_ptr<Ui::TFormAPropos> ui;
    TBrowseURL BrowseInternet;
    int Language = 0;
};
