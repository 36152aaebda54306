#pragma once

class CMyListCtrl;

// Makes every CMyListCtrl a table for assistive technology: its column headers, then one row of
// cells per list row, the first cell of each a check box, checked with its tick and unavailable
// when the tick is locked, while it stays in the focus order. Installed once for the whole
// program.
void InstallCheckListAccessibility();

// Tells assistive technology that the cell at (row, column) has the focus.
void AnnounceFocusCell(CMyListCtrl* list, int row, int column);

// Tells assistive technology that the tick of `row` changed.
void AnnounceTickChange(CMyListCtrl* list, int row);
