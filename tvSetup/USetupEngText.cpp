#include "USetupTextConst.h"

namespace tv {

const TSetupText EngSetupText = {
    "Tarnovell software installation",
    "Version",
    "The software is designed to keep warehouse books\r\nof a small store or warehouse on one computer",
    "Choose the installation language",
    "Read license agreement conditions carefully",
    "TARNOVELL SOFTWARE LICENSE AGREEMENT\r\n"
    "\r\n"
    "1. This agreement is made between you, the user, and the developers of the Tarnovell software (the "
    "authors). By clicking Agree you accept all of its conditions.\r\n"
    "2. The authors grant you a non-exclusive right to install the software on your computers and to use it "
    "for keeping the books of your own store or warehouse.\r\n"
    "3. You may make copies of the software for backup. You may not sell, rent or lend the software, nor "
    "pass it on as part of another product, without the written consent of the authors.\r\n"
    "4. You may not change, decompile or disassemble the software, except where the law allows it in spite "
    "of this condition.\r\n"
    "5. The software is provided \"as is\". The authors give no warranty that it fits a particular purpose "
    "or that it works without errors.\r\n"
    "6. The authors are not liable for any loss of data, profit or other damage caused by the use of the "
    "software or by the impossibility to use it. Keep copies of your data regularly.\r\n"
    "7. The data that you keep with the software belong to you. The software sends them nowhere; once a "
    "month it only asks the authors' web server whether a newer version exists.\r\n"
    "8. This agreement is valid until you remove the software from your computer. It ends at once when you "
    "break any of its conditions.\r\n"
    "9. Information about the software and its new versions: http://www.example.org/tarnovell/en/index.htm",
    "Agree",
    "Choose installation folder",
    "Create a program shortcut on the Desktop",
    "Create a program group in Start Menu",
    "Launch Tarnovell after install",
    "Next >",
    "< Back",
    "Cancel",
    "Browse...",
    "Install",
    "Exit",
    "Browse folders",
    "Installation status:",
    "The installation will be executed with the following preferences:",
    "If you agree with the conditions of the license agreement\r\nclick Agree. If you disagree, click Cancel",
    "\r\nTo continue the installation click Next >",
    "\r\nTo continue the installation click Install",
    "\r\nInstalling...",
    "\r\nInstallation successful!",
    "Errors occured while installing the program.\r\nInstallation uncomplete!",
    {"No", "Yes"},
    "Installation language",
    "Installation folder",
    "Warehouse name",
    "Warehouse",
    "Creating installation directory",
    "Error",
    "Could'n find the directory",
    "Not enough free space on the hard drive",
    "Hard drive in the directory is entered incorrectly",
    "Copying program files",
    "Creating configuration file",
    "Checking free space on the hard drive",
    "Creating program group in the Start Menu",
    "Creating a shortcut on the Desktop",
    "Creating a program entry in the Registry",
    "Checking working software availability",
    "Can't close a working copy",
    "File overwrite confirmation",
    "The file already exists.",
    "Overwrite an existing file?",
    "Yes",
    "Yes for all",
    "No",
    "No for all",
    "Warehouse calculation",
    "Uninstall Tarnovell software",
    "www.example.org",
    "http://www.example.org/tarnovell/en/index.htm",
    "http://www.example.org/tarnovell/en/download.htm",
    "http://www.example.org/tarnovell/en/help.htm",
    "Install Tarnovell",
    "Uninstall Tarnovell",
    "The folder name must not contain the character %",
    "The setup program cannot make its lock file:",
};

} // namespace tv
