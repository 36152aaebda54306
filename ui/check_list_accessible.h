#pragma once

// Makes every CMyListCtrl tell assistive technology what its rows are: each row reads as its
// cells' texts, is checkable with its tick, and reports a locked tick as unavailable, while the
// row itself stays in the focus order. Installed once for the whole program.
void InstallCheckListAccessibility();
