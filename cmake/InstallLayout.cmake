# Where an installation puts things: programs in bin/, and the files they ship with (the exception
# dialog program, the packed symbol files) in a private folder, lib/quorvane/, which the programs
# find relative to their own executable (platform/CompanionFiles.h).
include(GNUInstallDirs)
set(QV_INSTALL_PRIVATEDIR lib/quorvane)
file(RELATIVE_PATH QV_PRIVATE_DIR_FROM_BIN /${CMAKE_INSTALL_BINDIR} /${QV_INSTALL_PRIVATEDIR})
