# What `cmake --install` puts where, and the Windows package.
#
# The two deliverables always share one folder: the sink reads Morvane.ini
# beside the library, the setup program writes it beside itself.
include(GNUInstallDirs)

if(WIN32)
    install(TARGETS Morvane MorvaneSetup RUNTIME DESTINATION . LIBRARY DESTINATION .)
    # The administrator's guide, with CR LF line ends for Notepad.
    set(guide ${CMAKE_BINARY_DIR}/AdministratorGuide.txt)
    configure_file(${PROJECT_SOURCE_DIR}/docs/administrator-guide.md ${guide}
                   @ONLY NEWLINE_STYLE CRLF)
    install(FILES ${guide} DESTINATION .)

    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(CPACK_SYSTEM_NAME win32)
    else()
        set(CPACK_SYSTEM_NAME win64)
    endif()
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_NAME Morvane)
    set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
    set(CPACK_PACKAGE_FILE_NAME Morvane-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
    include(CPack)
else()
    # Linux: the deliverables in a folder of their own under the library
    # folder, the setup program reachable from the program folder through a
    # link (it finds its own folder through the link), the lab tool beside it.
    set(MORVANE_INSTALL_FOLDER ${CMAKE_INSTALL_LIBDIR}/morvane)
    if(TARGET MorvaneSetup)
        install(TARGETS MorvaneSetup RUNTIME DESTINATION ${MORVANE_INSTALL_FOLDER})
        file(RELATIVE_PATH link_target /${CMAKE_INSTALL_BINDIR}
             /${MORVANE_INSTALL_FOLDER}/MorvaneSetup)
        install(CODE "
            set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/MorvaneSetup\")
            message(STATUS \"Installing: \${link} -> ${link_target}\")
            file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
            file(CREATE_LINK ${link_target} \"\${link}\" SYMBOLIC)")
    endif()
    install(TARGETS Morvane LIBRARY DESTINATION ${MORVANE_INSTALL_FOLDER})
    install(TARGETS morvane-lab RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
