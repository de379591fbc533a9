# Host strings of the sample installation: one NUMBER=text a line; %1 and %2 are arguments;
# \n is a line break, \t a tab, \\ a backslash. Lines starting with "#" or ";" are comments.

# Message box and start-up
40007=An error occurred (%1):
54630=Vistafold
40167=The domain extension file could not be read:\n%1
40168=A domain could not be loaded:\n%1
40170=The folder %1 could not be created.
40185=The installation folder (VISTAFOLD_HOME) or the data folder (VISTAFOLD_DATA) is not configured.
40188=A required file is missing: %1
40531=The XML document object could not be created.

# Settings and files of the installation
57000=VISTAFOLD_HOME
57001=VISTAFOLD_RESOURCE
57002=VISTAFOLD_DATA
57003=SOFTWARE\NORVANE SOFTWARE\VISTAFOLD
57004=Settings
57100=vistafold.ini
57103=Vistafold.rsc

# Template preparation and page generation
40076=A picture could not be written into the page.
40090=The value of a DISPLAY field could not be evaluated:
40095=Evaluating the template commands
40127=The REPEAT command that this LIMIT governs could not be evaluated.
40129=The LIMIT command could not be evaluated.
40134=An OMIT or OTHERWISE LIMIT must govern a MASTER command.
40205=The DISPLAY command could not be read.
40210=The REPEAT command could not be read.
40440=A template command failed 
40441=The REPEAT command could not be evaluated.
40528=A MASTER command must be followed by a REPEAT command.
40529=The formatted text could not be parsed
40530=an unexpected error occurred
40532=Errors were found while generating 
40625=The DISPLAY mark %1 is not inside a comment reference.
40700=A date or time field could not be formatted.

# Template commands
40209=The object bound to the variable is not of the command's start class.
40271=The REPEAT command has no navigation path.
40302=The class has no attribute named %1.
40352=In a REPEAT path the many-valued relationship must be the last step.
40448=The navigation did not reach an object of the expected class.
40449=This operator cannot be used in a predicate.
40450=The left side of an IN expression has no value.

# Object model
40246=%1 is not a valid object identifier.
40297=The graphic description names an unknown picture format.
40398=Objects of this domain cannot be used with the class %1.
40404=The object has no identifying arguments.
40405=The object has no argument to make a file-system object from.
40407=The operation was applied to an undefined object.
40417=The object could not be converted for the domain %1.
40419=An argument value in the object identifier could not be read.
40423=This domain does not support selected objects.
40424=The graphic description has no picture size.
40425=The graphic description has no size unit.
40426=The graphic description has no path or no format.
40461=The object has no arguments to build its reference from.

# Domains and domain files
40211=The attribute is already defined in this class.
40215=A domain of this name is already registered.
40260=The domain schema %1 could not be read: %2
40262=An argument list is given twice in one class: %1
40282=The domain extension file %1 has an error: %2
40334=A keyword attribute must be a string attribute.
40394=Not defined: %1
40399=Subclasses can be defined only in the file-system domain.
40400=%1 is not of the form DOMAIN.CLASS.
40406=A persistent identifier must be of type string or filename: %1
40431=The domain schema has a syntax error: %1
40443=The file %1 could not be opened.
40446=A superclass is used before it is defined: %1
40456=A relationship names an unknown target class: %1

# Information sources
40196=The information source returned more arguments than the class declares.
40213=Class mismatch between %1 and %2.
40239=An argument value is not of the class that the constructor declares.
40249=The library of the domain %1 was not found in %2.
40250=The library of the domain %1 in %2 could not be loaded.
40355=The library of the domain %1 offers no query function.
40356=The information source returned nothing for %1 (query: %2).
40357=The information source returned no picture for %1 in the domain %2.
40389=The attribute value could not be read from the information source.
40433=The information source returned no related object.
40444=Too many remote domains are in use; the domain %1 cannot be served.
40453=The object was asked for with an unknown argument list.
58131=The data source could not be loaded.
58138=A value could not be formatted for display: %1

# Files and commands
40272=No command interpreter is available.
40274=The command %1 failed.
40275=Waiting for the command to finish failed.
40276=The file was not copied: the destination already exists.
40277=The file %1 could not be copied to %2.
40278=The command could not be started.
40279=The output of the command could not be opened.
40280=The output of the command could not be read.
40281=The command %1 could not be run.
40430=The command completed successfully.
40435=No temporary file could be made for the command %1.
40536=The command %1 could not be started in the background.

# Names of the status kinds
40518=Success
40498=Failure kind 1
40514=Failure kind 2
40515=Failure kind 3
40485=File not found
40497=Failure kind 5
40502=Failure kind 6
40500=Failure kind 7
40513=Failure kind 8
40517=Failure kind 9
40464=Failure kind 10
40482=Failure kind 11
40507=Failure kind 12
40506=Failure kind 13
40510=Failure kind 14
40486=Failure kind 15
40478=Failure kind 16
40465=Failure kind 17
40512=Failure kind 18
40508=Failure kind 19
40494=Failure kind 20
40467=Failure kind 21
40468=Failure kind 22
40520=Failure kind 23
40516=Failure kind 24
40495=Failure kind 25
40501=Failure kind 27
40477=Failure kind 28
40474=Failure kind 29
40475=Failure kind 30
40473=Failure kind 31
40472=Failure kind 32
40469=Failure kind 33
40492=Failure kind 34
40471=Syntax error
40525=No text form
40491=Unknown attribute
40490=Unknown attribute in expression
40488=Unsupported operation
40476=Navigation error
40487=Type mismatch
40483=Unbound variable
40499=Failure kind 43
40496=Not a boolean value
40521=Undefined setting
40504=Failure kind 46
40470=Failure kind 47
40484=Duplicate domain
40511=Class mismatch
40466=Argument mismatch
40522=Information source error
40503=No result
40505=Failure kind 55
40519=Failure kind 56
40493=Failure kind 57
40481=Failure kind 58
40479=Failure kind 59
40480=Failure kind 60
40509=Not implemented
40523=Processing error
40489=Evaluation error
40624=Unlogged failure
57649=Failure kind 65
57650=Failure kind 66
40524=Failure

# File-system domain
40880=A file-system object was asked for with an empty file name.
40881=%1 is not an existing directory.
40882=%1 is not an existing file.
40883=%1 does not exist.
40884=The file %1 holds no record with the key %2.
40885=The object is not an object of the file-system domain.
