; Alias file of the Needwise data source: aliases of the domain and of some members, and the order
; of those members in schema listings.
[Needwise]
ALIAS=Requirements
AKA=NW

[Requirement]
ALIAS=Req
ReqId=Number
Title=Headline
Status=State
Priority=Rank

[TestCase]
ALIAS=Test
TestId=Number
