find_program(CLANG_FORMAT_EXE NAMES clang-format clang-format-14)
if(CLANG_FORMAT_EXE)
    file(GLOB_RECURSE ZELTA_FORMAT_FILES
        ${PROJECT_SOURCE_DIR}/base/*.[ch]pp ${PROJECT_SOURCE_DIR}/base/*.h
        ${PROJECT_SOURCE_DIR}/io/*.cpp ${PROJECT_SOURCE_DIR}/io/*.h
        ${PROJECT_SOURCE_DIR}/uecp/*.cpp ${PROJECT_SOURCE_DIR}/uecp/*.h
        ${PROJECT_SOURCE_DIR}/strings/*.cpp ${PROJECT_SOURCE_DIR}/strings/*.h
        ${PROJECT_SOURCE_DIR}/workflow/*.cpp ${PROJECT_SOURCE_DIR}/workflow/*.h
        ${PROJECT_SOURCE_DIR}/app/*.cpp ${PROJECT_SOURCE_DIR}/app/*.h
        ${PROJECT_SOURCE_DIR}/ui/*.cpp ${PROJECT_SOURCE_DIR}/ui/*.h
        ${PROJECT_SOURCE_DIR}/sim/*.cpp ${PROJECT_SOURCE_DIR}/sim/*.h
        ${PROJECT_SOURCE_DIR}/tests/*.cpp ${PROJECT_SOURCE_DIR}/tests/*.h
        ${PROJECT_SOURCE_DIR}/main.cpp)
    add_custom_target(format COMMAND ${CLANG_FORMAT_EXE} -i ${ZELTA_FORMAT_FILES}
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} COMMENT "clang-format")
endif()
