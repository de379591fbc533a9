// The numbered host messages that the library reads, by name, grouped as the host's resource
// module groups them; %1 and %2 are the arguments a message takes.
#pragma once

// Names a numbered host message, so that a status or a text can be built from it.
struct HostMessageId {
  unsigned id;
};

namespace host_message {

// Message box and start-up
inline constexpr HostMessageId kErrorOccurred{40007};            // %1 the kind name
inline constexpr HostMessageId kProductName{54630};              // the title of message boxes
inline constexpr HostMessageId kExtensionFileUnreadable{40167};  // %1 the reason
inline constexpr HostMessageId kDomainNotLoaded{40168};          // %1 the reason
inline constexpr HostMessageId kFolderNotCreated{40170};         // %1 the folder
inline constexpr HostMessageId kFoldersNotConfigured{40185};
inline constexpr HostMessageId kRequiredFileMissing{40188};  // %1 the file
inline constexpr HostMessageId kDocumentObjectNotCreated{40531};

// Settings and files of the installation (57000 to 57103) are named in platform/own_strings.h and
// platform/resource_module.h, beside the configuration lookup that reads them.

// Template preparation and page generation
inline constexpr HostMessageId kPictureNotWritten{40076};
inline constexpr HostMessageId kDisplayValueNotEvaluated{40090};
inline constexpr HostMessageId kEvaluatingTemplateCommands{40095};
inline constexpr HostMessageId kGovernedRepeatNotEvaluated{40127};
inline constexpr HostMessageId kLimitNotEvaluated{40129};
inline constexpr HostMessageId kLimitWithoutMaster{40134};
inline constexpr HostMessageId kDisplayUnreadable{40205};
inline constexpr HostMessageId kRepeatUnreadable{40210};
inline constexpr HostMessageId kTemplateCommandFailed{40440};
inline constexpr HostMessageId kRepeatNotEvaluated{40441};
inline constexpr HostMessageId kMasterWithoutRepeat{40528};
inline constexpr HostMessageId kFormattedTextUnparsable{40529};
inline constexpr HostMessageId kUnexpectedError{40530};
inline constexpr HostMessageId kErrorsWhileGenerating{40532};
inline constexpr HostMessageId kDisplayMarkOutsideReference{40625};  // %1 the mark's label
inline constexpr HostMessageId kDateFieldUnformatted{40700};

// Template commands
inline constexpr HostMessageId kNotOfStartClass{40209};
inline constexpr HostMessageId kRepeatWithoutPath{40271};
inline constexpr HostMessageId kNoSuchAttribute{40302};  // %1 the attribute
inline constexpr HostMessageId kManyValuedStepNotLast{40352};
inline constexpr HostMessageId kExpectedClassNotReached{40448};
inline constexpr HostMessageId kOperatorNotInPredicate{40449};
inline constexpr HostMessageId kInLeftSideWithoutValue{40450};

// Object model
inline constexpr HostMessageId kInvalidObjectIdentifier{40246};  // %1 the identifier
inline constexpr HostMessageId kUnknownPictureFormat{40297};
inline constexpr HostMessageId kDomainNotUsableWithClass{40398};  // %1 the class
inline constexpr HostMessageId kNoIdentifyingArguments{40404};
inline constexpr HostMessageId kNoFileSysArgument{40405};
inline constexpr HostMessageId kUndefinedObject{40407};
inline constexpr HostMessageId kObjectNotConverted{40417};  // %1 the domain
inline constexpr HostMessageId kIdentifierArgumentUnreadable{40419};
inline constexpr HostMessageId kNoSelectedObjects{40423};
inline constexpr HostMessageId kGraphicWithoutSize{40424};
inline constexpr HostMessageId kGraphicWithoutUnit{40425};
inline constexpr HostMessageId kGraphicWithoutPathOrFormat{40426};
inline constexpr HostMessageId kNoReferenceArguments{40461};

// Domains and domain files
inline constexpr HostMessageId kAttributeAlreadyDefined{40211};  // %1 the member or class
inline constexpr HostMessageId kDomainAlreadyRegistered{40215};
inline constexpr HostMessageId kSchemaUnreadable{40260};  // %1 the schema file, %2 the reason
inline constexpr HostMessageId kArgumentListTwice{40262};
inline constexpr HostMessageId kExtensionFileError{40282};      // %1 the file, %2 the reason
inline constexpr HostMessageId kKeywordNotString{40334};        // %1 the attribute
inline constexpr HostMessageId kNotDefined{40394};              // %1 the name
inline constexpr HostMessageId kSubclassOutsideFileSys{40399};  // %1 the domain
inline constexpr HostMessageId kNotDomainDotClass{40400};       // %1 the text
inline constexpr HostMessageId kPersistentIdentifierType{40406};
inline constexpr HostMessageId kSchemaSyntaxError{40431};
inline constexpr HostMessageId kFileNotOpened{40443};  // %1 the file
inline constexpr HostMessageId kSuperclassBeforeDefinition{40446};
inline constexpr HostMessageId kUnknownTargetClass{40456};

// Information sources
inline constexpr HostMessageId kMoreArgumentsThanDeclared{40196};
inline constexpr HostMessageId kClassMismatchBetween{40213};  // %1 and %2 the classes
inline constexpr HostMessageId kArgumentNotOfDeclaredClass{40239};
inline constexpr HostMessageId kDomainLibraryNotFound{40249};   // %1 the domain, %2 the folder
inline constexpr HostMessageId kDomainLibraryNotLoaded{40250};  // %1 the domain, %2 the folder
inline constexpr HostMessageId kNoQueryFunction{40355};         // %1 the domain
inline constexpr HostMessageId kNothingReturned{40356};         // %1 the object, %2 the query
inline constexpr HostMessageId kNoPictureReturned{40357};       // %1 the word, %2 the domain
inline constexpr HostMessageId kAttributeValueUnreadable{40389};
inline constexpr HostMessageId kNoRelatedObject{40433};
inline constexpr HostMessageId kTooManyRemoteDomains{40444};  // %1 the domain
inline constexpr HostMessageId kUnknownArgumentList{40453};
inline constexpr HostMessageId kDataSourceNotLoaded{58131};
inline constexpr HostMessageId kValueNotFormatted{58138};  // %1 the value

// Files and commands
inline constexpr HostMessageId kNoCommandInterpreter{40272};
inline constexpr HostMessageId kCommandFailed{40274};  // %1 the command
inline constexpr HostMessageId kWaitForCommandFailed{40275};
inline constexpr HostMessageId kCopyDestinationExists{40276};
inline constexpr HostMessageId kFileNotCopied{40277};  // %1 the source, %2 the destination
inline constexpr HostMessageId kCommandNotStarted{40278};
inline constexpr HostMessageId kCommandOutputNotOpened{40279};
inline constexpr HostMessageId kCommandOutputUnreadable{40280};
inline constexpr HostMessageId kCommandNotRun{40281};  // %1 the command
inline constexpr HostMessageId kCommandSucceeded{40430};
inline constexpr HostMessageId kNoTemporaryFile{40435};        // %1 the command
inline constexpr HostMessageId kBackgroundStartFailed{40536};  // %1 the command

// Names of the status kinds: the kind-name table of QuireStatusKindNameId (quire_status.cpp)
// maps each kind to its host string; this is the one that kinds without a name of their own share.
inline constexpr HostMessageId kGenericKindName{40524};

// File-system domain
inline constexpr HostMessageId kEmptyFileName{40880};
inline constexpr HostMessageId kNotADirectory{40881};  // %1 the path
inline constexpr HostMessageId kNotAFile{40882};       // %1 the path
inline constexpr HostMessageId kDoesNotExist{40883};   // %1 the path
inline constexpr HostMessageId kNoSuchRecord{40884};   // %1 the file, %2 the key
inline constexpr HostMessageId kNotAFileSysObject{40885};

}  // namespace host_message
