// Closing every modal thing from inside the innermost loop: a menu over a
// question over a file dialog over a modal dialog all return as cancelled,
// each from its own loop, and nothing is deleted under it.
#include <gtest/gtest.h>

#include <QColorDialog>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include "app/modal_closer.h"

namespace zarvel {
namespace {

TEST(ModalCloserTest, NestedLoopsAllReturnCancelledInnermostFirst) {
  QDialog outer;
  outer.setModal(true);
  int outer_result = -1;
  int file_result = -1;
  int answer = -1;
  QAction* chosen = reinterpret_cast<QAction*>(1);
  int closed = 0;
  std::vector<std::string> returned;
  QTimer::singleShot(0, &outer, [&] {
    QFileDialog files(&outer);
    files.setOption(QFileDialog::DontUseNativeDialog);
    QTimer::singleShot(0, &files, [&] {
      QMessageBox box(QMessageBox::Question, "Restore defaults?", "Restore defaults?",
                      QMessageBox::Yes | QMessageBox::No, &files);
      QTimer::singleShot(0, &box, [&] {
        QMenu menu;
        menu.addAction(QStringLiteral("About"));
        QTimer::singleShot(0, &menu, [&] { closed = CloseModalThings(); });
        chosen = menu.exec(QPoint(10, 10));
        returned.push_back("menu");
      });
      answer = box.exec();
      returned.push_back("question");
    });
    file_result = files.exec();
    returned.push_back("file dialog");
  });
  outer_result = outer.exec();
  returned.push_back("dialog");

  EXPECT_EQ(closed, 4);
  EXPECT_EQ(chosen, nullptr);
  EXPECT_NE(answer, QMessageBox::Yes);
  EXPECT_EQ(file_result, QDialog::Rejected);
  EXPECT_EQ(outer_result, QDialog::Rejected);
  EXPECT_EQ(returned, (std::vector<std::string>{"menu", "question", "file dialog", "dialog"}));
  EXPECT_EQ(CloseModalThings(), 0) << "something stayed open";
}

TEST(ModalCloserTest, TheColourDialogChoosesNothing) {
  QColor chosen = Qt::red;
  QTimer::singleShot(50, [] { CloseModalThings(); });
  chosen = QColorDialog::getColor(Qt::green, nullptr, QString(), QColorDialog::DontUseNativeDialog);
  EXPECT_FALSE(chosen.isValid());
}

}  // namespace
}  // namespace zarvel
