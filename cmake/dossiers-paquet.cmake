# Run by CPack on its staging folder, before it packs it: folders made under a
# strict umask (077, say) would be packed unreadable to all but root. The
# files already have their rights from the install rules.
file(GLOB_RECURSE entrees LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
foreach(entree IN ITEMS "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" LISTS entrees)
  if(IS_DIRECTORY "${entree}" AND NOT IS_SYMLINK "${entree}")
    file(CHMOD "${entree}" PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  endif()
endforeach()
