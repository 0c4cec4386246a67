// The key codes controls take, from Windows virtual-key codes (window hosts on
// other systems map their keys to those first): space 0, up 1, down 2, left 3,
// right 4, digits 5..14, letters 15..40, and the codes 97..122 (the keypad and
// function keys) read as letters too; -1 for a key no control takes.
#pragma once

inline int ControlKeyOf(int virtualKey) {
  switch (virtualKey) {
    case 0x20:
      return 0;
    case 0x26:
      return 1;
    case 0x28:
      return 2;
    case 0x25:
      return 3;
    case 0x27:
      return 4;
    default:
      break;
  }
  if (virtualKey >= '0' && virtualKey <= '9') return virtualKey - '0' + 5;
  if (virtualKey >= 'A' && virtualKey <= 'Z') return virtualKey - 'A' + 15;
  if (virtualKey >= 97 && virtualKey <= 122) return virtualKey - 82;
  return -1;
}
