# Flags every target of the project carries.
add_library(zora_common INTERFACE)
target_compile_options(zora_common INTERFACE
  -Wall -Wextra -pedantic -Wnon-virtual-dtor -Wold-style-cast)
target_compile_definitions(zora_common INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_USE_QSTRINGBUILDER
  ZORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  ZORA_VERSION="${PROJECT_VERSION}"
  ZORA_BINARY_DIR="${CMAKE_BINARY_DIR}")
if(ZORA_SANITIZE)
  target_compile_options(zora_common INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(zora_common INTERFACE -fsanitize=address,undefined)
elseif(CMAKE_BUILD_TYPE STREQUAL "Release")
  # The programs parse datagrams from anyone on the LAN: the hardening Debian builds its
  # own packages with (checked buffer functions, stack guards, a read-only GOT bound at
  # start, position-independent executables).
  target_compile_options(zora_common INTERFACE
    -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2 -fstack-protector-strong -fstack-clash-protection
    -fcf-protection -Wformat -Werror=format-security)
  target_link_options(zora_common INTERFACE -Wl,-z,relro -Wl,-z,now)
  include(CheckPIESupported)
  check_pie_supported()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
endif()

# LLVM's linker where there is one: the build links some ninety programs, and it links
# them several times faster than the default one (same output, hardening included).
option(ZORA_LLD "Link with lld when the compiler can" ON)
if(ZORA_LLD)
  include(CheckLinkerFlag)
  check_linker_flag(CXX "-fuse-ld=lld" ZORA_HAVE_LLD)
  if(ZORA_HAVE_LLD)
    target_link_options(zora_common INTERFACE -fuse-ld=lld)
  endif()
endif()

# Flags of the program's own libraries only (not of the test programs): with ZORA_FUZZ,
# the coverage libFuzzer steers by (see tests/fuzz).
set(ZORA_LIBRARY_FLAGS)
if(ZORA_FUZZ)
  set(ZORA_LIBRARY_FLAGS -fsanitize=fuzzer-no-link)
endif()

# The Qt headers most files include; a precompiled header of whole modules would be
# several hundred megabytes and slower to load than to parse what is used.
set(ZORA_CORE_PCH <QObject> <QString> <QStringList> <QByteArray> <QByteArrayView> <QList>
    <QHash> <QFile> <QDir> <QSaveFile> <QTimer> <QHostAddress> <QAbstractSocket>)
set(ZORA_WIDGETS_PCH ${ZORA_CORE_PCH} <QWidget> <QDialog> <QLabel> <QPushButton> <QGroupBox>
    <QLineEdit> <QComboBox> <QCheckBox> <QRadioButton> <QToolButton> <QTabWidget>
    <QBoxLayout>)
set(ZORA_TEST_PCH ${ZORA_CORE_PCH} <QTest> <QSignalSpy> <QUdpSocket> <QTemporaryDir>
    <QProcess> <QJsonArray> <QJsonObject> <QJsonDocument>)

# zora_core_library(NAME DIR DEPS...): every .cpp directly in DIR (not in ui/, and not a
# program's main.cpp) becomes part of a library that links no QtWidgets.
function(zora_core_library name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC zora_common ${ARGN})
  target_compile_options(${name} PRIVATE ${ZORA_LIBRARY_FLAGS})
  # Qt's headers dominate the build: parse them once, in the first library, and let the
  # others (same flags) reuse that.
  if(TARGET zora_base AND NOT name STREQUAL "zora_base")
    target_precompile_headers(${name} REUSE_FROM zora_base)
  else()
    target_precompile_headers(${name} PRIVATE ${ZORA_CORE_PCH})
  endif()
endfunction()
