// The program's own audio format chooser. Wine's acmFormatChooseA refuses
// every verify hook (it answers MMSYSERR_NOTSUPPORTED and shows nothing), so
// where the platform's chooser cannot filter the offered formats this one
// takes its place, with the same record and the same answers.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>
#include "sources/codec_formats.h"

// Shows the chooser modally, owned by chooser->hwndOwner and titled by
// chooser->pszTitle. It lists the format tags of all installed codecs and,
// for the chosen tag, its formats. With ACMFORMATCHOOSE_STYLEF_ENABLEHOOK the
// hook sees every message of the dialog first (WM_INITDIALOG with lCustData),
// and answers MM_ACM_FORMATCHOOSE with FORMATCHOOSE_FORMATTAG_VERIFY for each
// tag and FORMATCHOOSE_FORMAT_VERIFY for each format before it is listed,
// through DWLP_MSGRESULT; a hook that leaves the message to the chooser lets
// the tag or format be listed.
//
// Returns MMSYSERR_NOERROR with the chosen format in pwfx and its names in
// szFormatTag and szFormat (pszName, when given, is emptied: this chooser
// knows no named formats); ACMERR_CANCELED when the user cancels;
// ACMERR_NOTPOSSIBLE when the chosen format is larger than cbwfx (pwfx is
// then untouched); MMSYSERR_INVALPARAM for a record that is too small or
// lacks its buffer or hook; MMSYSERR_NOTSUPPORTED for a record asking for
// something this chooser does not do (templates, an initial format, help,
// restrictions of the enumeration); MMSYSERR_ERROR when the dialog cannot be
// shown.
MMRESULT RunFormatChooser(ACMFORMATCHOOSEA* chooser);
