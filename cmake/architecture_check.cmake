# cvl_check_shipped_targets(): fails the configuration when a target defined outside tests/ links
# a target defined under tests/, or GoogleTest: what ships must build and run without the tests.
# Reads the direct links of every target of the project (LINK_LIBRARIES and
# INTERFACE_LINK_LIBRARIES); a shipped target linking another shipped target that links a test
# target is caught at that other target. Called once, after every folder has been added.
function(cvl_check_shipped_targets)
  set(folders ${PROJECT_SOURCE_DIR})
  set(targets)
  while(folders)
    list(POP_FRONT folders folder)
    get_property(folder_targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    list(APPEND targets ${folder_targets})
    list(APPEND folders ${subfolders})
  endwhile()

  set(test_targets)
  set(shipped_targets)
  foreach(target IN LISTS targets)
    get_target_property(folder ${target} SOURCE_DIR)
    file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${folder})
    if(relative STREQUAL "tests" OR relative MATCHES "^tests/")
      list(APPEND test_targets ${target})
    else()
      list(APPEND shipped_targets ${target})
    endif()
  endforeach()

  set(faults)
  foreach(target IN LISTS shipped_targets)
    get_target_property(links ${target} LINK_LIBRARIES)
    get_target_property(interface_links ${target} INTERFACE_LINK_LIBRARIES)
    foreach(link IN LISTS links interface_links)
      # $<LINK_ONLY:name>, as CMake writes a static library's private links into its interface.
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
      if(link IN_LIST test_targets OR link MATCHES "^GTest::")
        list(APPEND faults "${target} links ${link}")
      endif()
    endforeach()
  endforeach()
  if(faults)
    list(REMOVE_DUPLICATES faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "A target outside tests/ links a test target:\n  ${text}\n"
                        "docs/architecture-rules.md: nothing that ships may need the tests.")
  endif()
endfunction()
