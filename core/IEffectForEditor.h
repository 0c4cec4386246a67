// The plug-in as its editor sees it: the few operations the controls and the
// canvas call back into, so the editor framework needs no more of the plug-in
// than this. The plug-in base implements it and outlives the editor it owns;
// the editor calls it on the GUI thread, and each operation that changes state
// takes the plug-in lock itself. The mirror of IEffectEditor.
#pragma once

class IEffectParam;

class IEffectForEditor {
 public:
  virtual ~IEffectForEditor() = default;

  // None for an index out of range.
  virtual IEffectParam* Param(int index) = 0;
  // A control moved by the user: the parameter takes the value, the host
  // records it and the product reacts; the editor is not told again.
  virtual void SetParameterFromGUI(int index, double normalized) = 0;
  // Bracket a mouse gesture on a parameter, for the host's undo and automation.
  virtual void BeginParamEdit(int index) = 0;
  virtual void EndParamEdit(int index) = 0;
  // A file dropped on the editor window, for the primary and secondary drop
  // targets.
  virtual void FileDropped(const char* path) = 0;
  virtual void SecondFileDropped(const char* path) = 0;
  // The editor's size changed; the host is told the new size.
  virtual void EditorSizeChanged() = 0;
};
