#pragma once

// Lets ErrorCodeText look up the result-code texts in the string manager: section
// "UECP_IO_Errors", current language. Safe to call more than once.
void InstallStringTableErrorTexts();
