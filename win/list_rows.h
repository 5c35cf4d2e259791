// The rows of a list-view control: a column's text and a row's item data,
// read, written and inserted in one place, so that no caller fills the
// control's item record by hand.
#pragma once
#include <windows.h>
#include <commctrl.h>

// A column's text of a row into text (cut to its size, always terminated;
// empty when the list does not give it); false when the list does not.
bool ReadRowText(HWND list, int row, int column, char* text, int size);
template <size_t Size>
bool ReadRowText(HWND list, int row, int column, char (&text)[Size])
{
    return ReadRowText(list, row, column, text, int(Size));
}

// Gives a column of a row a new text; false when the list refuses.
bool SetRowText(HWND list, int row, int column, const char* text);

// Inserts a row at position with its first column's text and its item data;
// the index the row got, -1 when the list refuses it.
int InsertListRow(HWND list, int position, const char* text, LPARAM data);

// The first row after row (-1: from the top) in the given state
// (LVNI_ALL, LVNI_SELECTED, LVNI_FOCUSED); -1 when there is none.
int NextListRow(HWND list, int row, UINT state = LVNI_ALL);

// A row's item data; false when the list does not give it.
bool ReadRowData(HWND list, int row, LPARAM* data);
