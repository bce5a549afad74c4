#include "platform/LongWork.h"

#include "platform/Platform.h"

// For now the work runs on the calling thread under the busy cursor and is
// never stopped; the worker thread and the progress window come next.
bool RunLongWork(QWidget* /*window*/, const std::function<void(TWorkControl&)>& work) {
  TBusyCursor busy;
  TWorkControl control;
  work(control);
  return !control.Stopped();
}
