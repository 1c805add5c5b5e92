#pragma once
// The modeless "Preferences" sheet: six tabs laid out as their pages, with OK and Cancel below.
// The widgets only show and report: the logic behind them acts on the settings. A page's
// controls are filled the first time its tab is shown. UI thread only.

#include <QDialog>
#include <array>
#include <memory>
#include <unordered_map>

#include "ui/preference_controls.h"

class QTabWidget;

class CPreferencesSheet : public QDialog {
  public:
    explicit CPreferencesSheet(std::unique_ptr<prefs::SheetPages> pages);
    // The logic's OnDestroy, once per sheet, however it closes.
    ~CPreferencesSheet() override;
    CPreferencesSheet(const CPreferencesSheet&) = delete;
    CPreferencesSheet& operator=(const CPreferencesSheet&) = delete;

    void accept() override;  // OK
    void reject() override;  // Cancel, Esc and the close box

  private:
    void BuildPage(int page);
    void OnPageShown(int page);
    void OnControl(int id, int value);
    void Show(const prefs::ControlStates& controls);

    std::unique_ptr<prefs::SheetPages> m_pages;
    QTabWidget* m_tabs = nullptr;
    std::array<bool, prefs::kPageCount> m_filled{};
    std::unordered_map<int, QWidget*> m_controls;  // by id
};
