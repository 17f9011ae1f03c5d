// The quality dialog: JPEG quality 1 to 100 and whether to show the dialog before JPEG saves.
#pragma once

#include "forms/toolkit.h"

// Opens the quality dialog modally, created anew; returns when it has been closed.
// The one entry point for both the Settings menu item and the save command.
void ShowQualityDialog();

class FrmConfig : public tk::Form {
public:
    // cmdSave is IDOK, so the dialog manager's Enter reaches it; Esc (IDCANCEL) reaches nothing.
    enum : int { cmdSaveId = IDOK, hscQualityId = 10, cheShowId = 11 };
    static constexpr int kQualityMin = 1, kQualityMax = 100;
    static constexpr int kSmallChange = 1, kLargeChange = 1;

    // The controls, valid while the dialog is loaded.
    HWND cmdSave = nullptr;
    HWND hscQuality = nullptr;
    HWND cheShow = nullptr;
    tk::Label* lblQuality = nullptr;

    int QualityValue() const; // hscQuality's value
    int ShowState() const;    // cheShow's state: 0 unticked, 1 ticked, 2 indeterminate
    void SetQualityValue(int value);

    void hscQuality_Change();
    void hscQuality_Scroll();
    void cheShow_Click();
    void cmdSave_Click();

protected:
    tk::FormDefinition Define() const override;
    void CreateControls() override;
    void Form_Load() override;
    void OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void ShowValue();
    void hscQuality_Request(int request, int thumb);
    HWND focus_ = nullptr; // the control that had the focus when the dialog was last deactivated
};
