#pragma once

// The main window's tool tips.
inline constexpr const char* kTipSelect = "Start here by typing in a new account name. Or to look up an existing "
                                          "account, select it from the drop-down box.";
inline constexpr const char* kTipGo =
    "Click to pull up the account information for the account you selected in the drop-down box.";
inline constexpr const char* kTipCopy1 = "Click to open your browser to the URL in the Website field.";
inline constexpr const char* kTipCopy2 = "Click to copy text in the Notes field to the clipboard.";
inline constexpr const char* kTipCopy3 = "Click to copy text in the User ID field to the clipboard.";
inline constexpr const char* kTipCopy4 = "Click to copy text in the Password field to the clipboard.";
inline constexpr const char* kTipAdd = "After entering data for a new account in the text fields, click here to save.";
inline constexpr const char* kTipChange =
    "After changing information in the text fields, click here to save your changes.";
inline constexpr const char* kTipCancel = "Click to cancel changes.";
inline constexpr const char* kTipDelete = "Click to delete the displayed account.";
inline constexpr const char* kTipDragFirst = "Drag & drop to another window, or double-click this field to edit.";
inline constexpr const char* kTipEditFirst = "Double-click this field to edit, or drag & drop to another window.";
